#pragma once

#include <QTextBrowser>

// The program's help: an HTML page compiled into the program, in the user's language, shown in
// a window of its own. Links to other sites open in the browser.
class HelpWindow : public QTextBrowser
{
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);

    // The page of the current language.
    static QUrl pageAddress();
};

// Shows the help window, creating it the first time and raising it after.
void openHelp(QWidget *parent);
