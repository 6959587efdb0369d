#include "sites/sitefieldspanel.h"

#include "platform/beep.h"
#include "platform/namecodec.h"
#include "platform/uitext.h"
#include "sites/bytelimitvalidator.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace
{

QLineEdit *makeEdit(QWidget *parent, const char *name, int limit)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(limit);
    return edit;
}

// A box for a text field of the site record that is `width` bytes wide: it takes no more than the
// field holds before its terminator, so that Connect uses exactly what is saved.
QLineEdit *makeFieldEdit(QWidget *parent, const char *name, std::size_t width)
{
    const int room = int(width) - 1;
    QLineEdit *edit = makeEdit(parent, name, room);
    edit->setValidator(new ByteLimitValidator(room, edit));
    return edit;
}

QComboBox *makeEncryptionBox(QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("encryption"));
    for (auto [encryption, text] :
         {std::pair{Encryption::Plain, QT_TRANSLATE_NOOP("UiText", "Plain FTP (unencrypted)")},
          std::pair{Encryption::ExplicitIfOffered,
                    QT_TRANSLATE_NOOP("UiText", "Explicit TLS if the server offers it")},
          std::pair{Encryption::ExplicitRequired, QT_TRANSLATE_NOOP("UiText", "Require explicit TLS")},
          std::pair{Encryption::Implicit, QT_TRANSLATE_NOOP("UiText", "Implicit TLS")}})
        box->addItem(UiText::tr(text), int(encryption));
    return box;
}

QComboBox *makeCharsetBox(QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("charset"));
    box->addItem(UiText::tr("Automatic"), QByteArray());
    for (const QByteArray &charset : namecodec::offeredCharsets())
        box->addItem(QString::fromLatin1(charset), charset);
    return box;
}

} // namespace

SiteFieldsPanel::SiteFieldsPanel(QWidget *parent)
    : QWidget(parent), address_(makeFieldEdit(this, "address", sizeof(SiteRecord::address))),
      user_(makeFieldEdit(this, "userId", sizeof(SiteRecord::userId))),
      password_(makeFieldEdit(this, "password", sizeof(SiteRecord::sitePassword))),
      anonymous_(new QCheckBox(UiText::withAccessKey("Anonymous", 'N'), this)),
      port_(makeEdit(this, "port", 6)),
      remotePath_(makeFieldEdit(this, "remotePath", sizeof(SiteRecord::remotePath))),
      localPath_(makeFieldEdit(this, "localPath", sizeof(SiteRecord::localPath))),
      browse_(new QPushButton(UiText::tr("..."), this)),
      relative_(new QCheckBox(UiText::withAccessKey("Relative path", 'V'), this)),
      encryption_(makeEncryptionBox(this)), charset_(makeCharsetBox(this))
{
    password_->setEchoMode(QLineEdit::Password);
    anonymous_->setObjectName(QStringLiteral("anonymous"));
    relative_->setObjectName(QStringLiteral("relativePath"));
    browse_->setObjectName(QStringLiteral("browse"));
    browse_->setAutoDefault(false);
    port_->setValidator(new QIntValidator(0, portMaximum, port_));

    auto *localRow = new QHBoxLayout;
    localRow->addWidget(localPath_);
    localRow->addWidget(browse_);

    // Each row's label takes the access key to its box.
    auto *form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(UiText::withAccessKey("FTP address:", 'T'), address_);
    form->addRow(UiText::withAccessKey("User ID:", 'U'), user_);
    form->addRow(UiText::withAccessKey("Password:", 'W'), password_);
    form->addRow(QString(), anonymous_);
    form->addRow(UiText::withAccessKey("Encryption:", 'E'), encryption_);
    form->addRow(UiText::withAccessKey("Character set:", 'H'), charset_);
    form->addRow(UiText::withAccessKey("Port:", 'P'), port_);
    form->addRow(UiText::withAccessKey("Initial remote path:", 'R'), remotePath_);
    auto *localLabel = new QLabel(UiText::withAccessKey("Initial local path:", 'L'), this);
    localLabel->setBuddy(localPath_);
    form->addRow(localLabel, localRow);
    form->addRow(QString(), relative_);

    // A new panel shows what a site without values holds, the encryption included.
    clearFields();
    // The keys go down the form as it is laid out.
    const QList<QWidget *> order{address_, user_,       password_,  anonymous_, encryption_, charset_,
                                 port_,    remotePath_, localPath_, browse_,    relative_};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    for (QLineEdit *edit : {address_, user_, password_, port_, remotePath_, localPath_})
        connect(edit, &QLineEdit::textEdited, this, &SiteFieldsPanel::edited);
    for (QCheckBox *box : {anonymous_, relative_})
        connect(box, &QCheckBox::clicked, this, &SiteFieldsPanel::edited);
    connect(encryption_, &QComboBox::activated, this, &SiteFieldsPanel::onEncryptionChosen);
    connect(charset_, &QComboBox::activated, this, &SiteFieldsPanel::edited);
    connect(browse_, &QPushButton::clicked, this, &SiteFieldsPanel::browseRequested);
}

QWidget *SiteFieldsPanel::firstField() const
{
    return address_;
}
QWidget *SiteFieldsPanel::lastField() const
{
    return relative_;
}

void SiteFieldsPanel::onEncryptionChosen()
{
    // Implicit TLS servers listen on their own port: the plain port would only time out.
    if (encryption_->currentData().toInt() == int(Encryption::Implicit) &&
        port_->text().trimmed() == QLatin1String("21"))
        port_->setText(QStringLiteral("990"));
    emit edited();
}

void SiteFieldsPanel::showFields(const SiteFields &fields)
{
    // setText and setChecked do not emit textEdited and clicked, so showing is never an edit.
    address_->setText(fields.address);
    user_->setText(fields.userId);
    password_->setText(fields.password);
    password_->setPlaceholderText(fields.keyringKey.isEmpty() ? QString()
                                                              : UiText::tr("Kept in the system keyring"));
    anonymous_->setChecked(fields.anonymous);
    port_->setText(QString::number(fields.port));
    remotePath_->setText(fields.remotePath);
    localPath_->setText(fields.localPath);
    relative_->setChecked(fields.relativePath);
    encryption_->setCurrentIndex(encryption_->findData(int(fields.encryption)));
    // A set the list does not offer (written by hand) shows as itself, so saving keeps it.
    int charsetIndex = charset_->findData(fields.charset);
    if (charsetIndex < 0) {
        charset_->addItem(QString::fromLatin1(fields.charset), fields.charset);
        charsetIndex = charset_->count() - 1;
    }
    charset_->setCurrentIndex(charsetIndex);
}

void SiteFieldsPanel::clearFields()
{
    showFields(SiteFields{});
}

void SiteFieldsPanel::setFieldsEnabled(bool enabled)
{
    for (QWidget *widget : std::initializer_list<QWidget *>{address_, user_, password_, anonymous_,
                                                            port_, remotePath_, localPath_, relative_,
                                                            encryption_, charset_})
        widget->setEnabled(enabled);
}

SiteFields SiteFieldsPanel::values(int fallbackPort, bool *portValid) const
{
    SiteFields fields;
    fields.address = address_->text();
    fields.userId = user_->text();
    fields.password = password_->text();
    fields.anonymous = anonymous_->isChecked();
    bool ok = false;
    const int port = port_->text().trimmed().toInt(&ok);
    ok = ok && port >= 0 && port <= portMaximum;
    fields.port = ok ? port : fallbackPort;
    if (portValid)
        *portValid = ok;
    fields.remotePath = remotePath_->text();
    fields.localPath = localPath_->text();
    fields.relativePath = relative_->isChecked();
    fields.encryption = Encryption(encryption_->currentData().toInt());
    fields.charset = charset_->currentData().toByteArray();
    return fields;
}

void SiteFieldsPanel::setLocalPathByUser(const QString &path)
{
    // A picked folder is refused like a typed one: a path cut to fit would name another folder.
    QString candidate = path;
    int pos = 0;
    if (localPath_->validator()->validate(candidate, pos) == QValidator::Invalid) {
        Beep();
        return;
    }
    localPath_->setText(path);
    emit edited();
}
