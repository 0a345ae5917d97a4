#include "manual_window.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

const char* const CManualWindow::kSource = "qrc:/res/anleitung.html";

CManualWindow::CManualWindow(QWidget* parent) : QDialog(parent), m_browser(new QTextBrowser)
{
    setWindowTitle(QStringLiteral("Sonafel – Anleitung"));
    // Links inside the manual move within it; nothing is fetched from outside.
    m_browser->setOpenExternalLinks(false);
    m_browser->setSource(QUrl(QString::fromLatin1(kSource)));
    auto* const buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Schließen"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* const layout = new QVBoxLayout(this);
    layout->addWidget(m_browser);
    layout->addWidget(buttons);
    resize(640, 720);
}
