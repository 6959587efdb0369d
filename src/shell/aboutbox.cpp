#include "shell/aboutbox.h"

#include "platform/strings.h"
#include "platform/textformat.h"
#include "platform/uitext.h"
#include "shell/programidentity.h"
#include "shell/programresources.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

constexpr int pictureSize = 64;
constexpr int homepageLimit = 200;
constexpr int contactLimit = 100;

QLineEdit *addressEdit(const QString &text, int limit, const char *name, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setReadOnly(true);
    edit->setMaxLength(limit);
    edit->setText(text);
    return edit;
}

} // namespace

AboutBox::AboutBox(QWidget *parent)
    : QDialog(parent),
      homepage_(addressEdit(QString(programidentity::homepageAddress), homepageLimit, "homepage", this)),
      contact_(addressEdit(QString(programidentity::contactAddress), contactLimit, "contact", this))
{
    setObjectName(QStringLiteral("aboutBox"));
    setWindowTitle(UiText::tr("About Tidewell"));

    auto *picture = new QLabel(this);
    picture->setPixmap(programIcon().pixmap(pictureSize, pictureSize));
    auto *name = new QLabel(QStringLiteral("<b>%1 %2</b>")
                                .arg(loadText(TextId::ProgramName), QString(programidentity::aboutVersion)),
                            this);
    auto *credits = new QLabel(UiText::tr("A desktop FTP client, written by the Tidewell developers."), this);
    credits->setWordWrap(true);

    auto *frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto *frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(homepage_);
    frameLayout->addWidget(contact_);

    auto *texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(credits);
    texts->addWidget(frame);
    auto *top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addLayout(texts, 1);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(UiText::tr("OK"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
}

void openAboutBox(QWidget *parent)
{
    AboutBox about(parent);
    (void)about.exec();
}
