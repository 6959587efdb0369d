#include "guitest.h"

#include <QDialog>
#include <QDir>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextEdit>

namespace guitest
{

QChar accessKey(const QString &text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&'))
            continue;
        if (text.at(i + 1) != QLatin1Char('&'))
            return text.at(i + 1).toUpper();
        ++i;
    }
    return {};
}

void isolateUserFolders()
{
    static QTemporaryDir folder;
    qputenv("XDG_CONFIG_HOME", QDir(folder.path()).filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", QDir(folder.path()).filePath(QStringLiteral("data")).toLocal8Bit());
}

void clearSettings()
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("KALO"),
                       QStringLiteral("Tidewell"));
    settings.clear();
    settings.sync();
}

QString logText(QWidget *root)
{
    for (auto *view : root->findChildren<QPlainTextEdit *>())
        if (view->isReadOnly())
            return view->toPlainText();
    for (auto *view : root->findChildren<QTextEdit *>())
        if (view->isReadOnly())
            return view->toPlainText();
    return {};
}

QStringList logLines(QWidget *root)
{
    return logText(root).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

ModalWatcher::ModalWatcher(std::function<void(QWidget *)> handler) : handler_(std::move(handler))
{
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == last_)
            return;
        last_ = modal;
        seen.append(QString::fromLatin1(modal->metaObject()->className()));
        if (handler_)
            handler_(modal);
        else if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    });
    timer_.start();
}

} // namespace guitest
