#include "sites/sitefieldspanel.h"

#include "platform/beep.h"
#include "platform/uitext.h"
#include "sites/bytelimitvalidator.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
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

} // namespace

SiteFieldsPanel::SiteFieldsPanel(QWidget *parent)
    : QWidget(parent), m_address(makeFieldEdit(this, "address", sizeof(SiteRecord::address))),
      m_user(makeFieldEdit(this, "userId", sizeof(SiteRecord::userId))),
      m_password(makeFieldEdit(this, "password", sizeof(SiteRecord::sitePassword))),
      m_anonymous(new QCheckBox(uiText("Anonymous"), this)), m_port(makeEdit(this, "port", 6)),
      m_remotePath(makeFieldEdit(this, "remotePath", sizeof(SiteRecord::remotePath))),
      m_localPath(makeFieldEdit(this, "localPath", sizeof(SiteRecord::localPath))),
      m_browse(new QPushButton(uiText("..."), this)), m_relative(new QCheckBox(uiText("Relative path"), this))
{
    m_password->setEchoMode(QLineEdit::Password);
    m_anonymous->setObjectName(QStringLiteral("anonymous"));
    m_relative->setObjectName(QStringLiteral("relativePath"));
    m_browse->setObjectName(QStringLiteral("browse"));
    m_browse->setAutoDefault(false);
    m_port->setValidator(new QIntValidator(0, portMaximum, m_port));

    auto *localRow = new QHBoxLayout;
    localRow->addWidget(m_localPath);
    localRow->addWidget(m_browse);

    auto *form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(uiText("FTP address:"), m_address);
    form->addRow(uiText("User ID:"), m_user);
    form->addRow(uiText("Password:"), m_password);
    form->addRow(QString(), m_anonymous);
    form->addRow(uiText("Port:"), m_port);
    form->addRow(uiText("Initial remote path:"), m_remotePath);
    form->addRow(uiText("Initial local path:"), localRow);
    form->addRow(QString(), m_relative);

    for (QLineEdit *edit : {m_address, m_user, m_password, m_port, m_remotePath, m_localPath})
        connect(edit, &QLineEdit::textEdited, this, &SiteFieldsPanel::edited);
    for (QCheckBox *box : {m_anonymous, m_relative})
        connect(box, &QCheckBox::clicked, this, &SiteFieldsPanel::edited);
    connect(m_browse, &QPushButton::clicked, this, &SiteFieldsPanel::browseRequested);
}

void SiteFieldsPanel::showFields(const SiteFields &fields)
{
    // setText and setChecked do not emit textEdited and clicked, so showing is never an edit.
    m_address->setText(fields.address);
    m_user->setText(fields.userId);
    m_password->setText(fields.password);
    m_anonymous->setChecked(fields.anonymous);
    m_port->setText(QString::number(fields.port));
    m_remotePath->setText(fields.remotePath);
    m_localPath->setText(fields.localPath);
    m_relative->setChecked(fields.relativePath);
}

void SiteFieldsPanel::clearFields()
{
    showFields(SiteFields{});
}

void SiteFieldsPanel::setFieldsEnabled(bool enabled)
{
    for (QWidget *widget : std::initializer_list<QWidget *>{m_address, m_user, m_password, m_anonymous,
                                                            m_port, m_remotePath, m_localPath, m_relative})
        widget->setEnabled(enabled);
}

SiteFields SiteFieldsPanel::values(int fallbackPort, bool *portValid) const
{
    SiteFields fields;
    fields.address = m_address->text();
    fields.userId = m_user->text();
    fields.password = m_password->text();
    fields.anonymous = m_anonymous->isChecked();
    bool ok = false;
    const int port = m_port->text().trimmed().toInt(&ok);
    ok = ok && port >= 0 && port <= portMaximum;
    fields.port = ok ? port : fallbackPort;
    if (portValid)
        *portValid = ok;
    fields.remotePath = m_remotePath->text();
    fields.localPath = m_localPath->text();
    fields.relativePath = m_relative->isChecked();
    return fields;
}

void SiteFieldsPanel::setLocalPathByUser(const QString &path)
{
    // A picked folder is refused like a typed one: a path cut to fit would name another folder.
    QString candidate = path;
    int pos = 0;
    if (m_localPath->validator()->validate(candidate, pos) == QValidator::Invalid) {
        Beep();
        return;
    }
    m_localPath->setText(path);
    emit edited();
}
