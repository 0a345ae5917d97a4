#pragma once

#include <QDialog>

// The About box: the icon, the version, the year and the maker, the web
// address, and an OK button.
class CAboutDlg : public QDialog {
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
