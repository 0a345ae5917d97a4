#include "about_dlg.h"

#include "home_page.h"

#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace {

// Dialog units: a quarter of the average character width and an eighth of
// the character height of the dialog's font.
struct DialogUnits {
    explicit DialogUnits(const QFont& font)
    {
        const QFontMetrics metrics(font);
        const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        m_baseX = (metrics.horizontalAdvance(alphabet) / 26 + 1) / 2;
        m_baseY = metrics.height();
    }
    QRect Rect(int x, int y, int width, int height) const
    {
        return QRect(X(x), Y(y), X(width), Y(height));
    }
    int X(int units) const { return units * m_baseX / 4; }
    int Y(int units) const { return units * m_baseY / 8; }

private:
    int m_baseX;
    int m_baseY;
};

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About sonafel"));
    const DialogUnits units(font());
    setFixedSize(units.X(250), units.Y(50));

    auto* const icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/res/sonafel.ico")).pixmap(32, 32));
    icon->setGeometry(units.X(15), units.Y(13), 32, 32);

    const auto text = [&](const QString& content, QRect where) {
        auto* const label = new QLabel(content, this);
        label->setTextFormat(Qt::PlainText);
        label->setGeometry(where);
    };
    text(QStringLiteral("Auralith Version 1.2"), units.Rect(53, 4, 133, 8));
    text(QStringLiteral("Copyright (C) 2011 Tessadyn"), units.Rect(53, 19, 188, 8));
    text(QString::fromLatin1(kHomePageUrl), units.Rect(53, 34, 177, 8));

    auto* const ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(units.Rect(193, 4, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
