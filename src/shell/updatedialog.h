#pragma once

#include "shell/versionfile.h"

#include <QDialog>

class QLabel;
class QPushButton;

// Tells that the web site announces a newer program: its version and release as received.
// "Download" opens the announced address (a web address only), "Visit homepage" the homepage.
class UpdateDialog : public QDialog
{
    Q_OBJECT
public:
    explicit UpdateDialog(const VersionFile &file, QWidget *parent = nullptr);

    QLabel *versionLabel() const { return version_; }
    QLabel *releaseLabel() const { return release_; }
    QPushButton *downloadButton() const { return download_; }
    QPushButton *homepageButton() const { return homepage_; }

private:
    QLabel *version_;
    QLabel *release_;
    QPushButton *download_;
    QPushButton *homepage_;
    QString downloadAddress_;
};
