#pragma once

#include <QDialog>

class QTextBrowser;

// "Anleitung" (F1): the German manual shipped inside the program, shown in a
// window of its own that stays open beside the main one, not over it (it
// has no parent window; the main window closes it). Needs no network.
class CManualWindow : public QDialog {
public:
    explicit CManualWindow(QWidget* parent = nullptr);

    QTextBrowser& Browser() { return *m_browser; }

    // Where a window of `size` goes beside `main` on `screen`: to its right
    // where there is room, else to its left, else at the screen's right edge.
    static QPoint BesidePosition(const QRect& main, const QSize& size, const QRect& screen);

    // Where the manual lies among the program's resources.
    static const char* const kSource;

private:
    QTextBrowser* m_browser;
};
