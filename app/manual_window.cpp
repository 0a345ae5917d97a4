#include "manual_window.h"

#include <QDialogButtonBox>
#include <QPoint>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <algorithm>

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

QPoint CManualWindow::BesidePosition(const QRect& main, const QSize& size, const QRect& screen)
{
    constexpr int kGap = 10;
    const int top = std::clamp(main.top(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height()));
    if (main.right() + kGap + size.width() <= screen.right() + 1)
        return {main.right() + 1 + kGap, top};
    if (main.left() - kGap - size.width() >= screen.left())
        return {main.left() - kGap - size.width(), top};
    return {std::max(screen.left(), screen.right() + 1 - size.width()), top};
}
