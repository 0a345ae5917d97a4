#pragma once

#include <QDialog>

class QTextBrowser;

// "Anleitung" (F1): the German manual shipped inside the program, shown in a
// window of its own that stays open beside the main one. Needs no network.
class CManualWindow : public QDialog {
public:
    explicit CManualWindow(QWidget* parent = nullptr);

    QTextBrowser& Browser() { return *m_browser; }

    // Where the manual lies among the program's resources.
    static const char* const kSource;

private:
    QTextBrowser* m_browser;
};
