#include "audiogram_print.h"

#include "audiogram_chart.h"
#include "sii_summary.h"

#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>

namespace {

constexpr double kPageWidth = 800.0;  // logical units across the printable width

QFont PixelFont(int pixels, bool bold = false)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QString LevelText(double level)
{
    return QLocale(QLocale::German).toString(level, 'g', 4);
}

// The thresholds as a table: a row of frequencies, then right and left.
void DrawLevelTable(QPainter& painter, const QRectF& area, const Listener& listener)
{
    const int columns = static_cast<int>(listener.hz.size()) + 1;
    const double width = area.width() / columns;
    const double row = area.height() / 3;
    const QString heads[3] = {QStringLiteral("Hz"), QStringLiteral("rechts (dB HL)"), QStringLiteral("links (dB HL)")};
    for (int r = 0; r < 3; ++r) {
        painter.drawText(QRectF(area.left(), area.top() + r * row, width, row), Qt::AlignLeft | Qt::AlignVCenter,
                         heads[r]);
        for (std::size_t i = 0; i < listener.hz.size(); ++i) {
            const QString text = r == 0 ? QLocale(QLocale::German).toString(listener.hz[i], 'g', 6)
                                 : r == 1 ? LevelText(listener.right[i])
                                          : LevelText(listener.left[i]);
            painter.drawText(QRectF(area.left() + static_cast<double>(i + 1) * width, area.top() + r * row, width, row),
                             Qt::AlignCenter, text);
        }
    }
}

// The aid's gains: its title, a row of frequencies, a row per ear and level.
void DrawAidTable(QPainter& painter, const QRectF& area, const AidGainTable& aid)
{
    painter.drawText(QRectF(area.left(), area.top(), area.width(), 22), Qt::AlignLeft | Qt::AlignVCenter, aid.title);
    const double labelWidth = 160.0;
    const double width = (area.width() - labelWidth) / static_cast<double>(aid.hz.size());
    const double row = 20.0;
    const auto line = [&](int r, const QString& label, const auto& text) {
        const double y = area.top() + 24 + r * row;
        painter.drawText(QRectF(area.left(), y, labelWidth, row), Qt::AlignLeft | Qt::AlignVCenter, label);
        for (std::size_t i = 0; i < aid.hz.size(); ++i)
            painter.drawText(QRectF(area.left() + labelWidth + static_cast<double>(i) * width, y, width, row),
                             Qt::AlignCenter, text(i));
    };
    line(0, QStringLiteral("Hz"), [&](std::size_t i) { return QLocale(QLocale::German).toString(aid.hz[i], 'g', 6); });
    for (std::size_t r = 0; r < aid.rows.size(); ++r)
        line(static_cast<int>(r) + 1, aid.rows[r].first,
             [&](std::size_t i) { return GainText(aid.rows[r].second[i]); });
}

}  // namespace

void DrawAudiogramPage(QPainter& painter, const QRectF& page, const Listener& listener, const QDate& date,
                       const AidRules& aids)
{
    painter.save();
    painter.fillRect(page, Qt::white);
    painter.setPen(Qt::black);
    painter.setFont(PixelFont(26, true));
    painter.drawText(QRectF(page.left(), page.top(), page.width(), 36), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Audiogramm"));
    painter.setFont(PixelFont(15));
    painter.drawText(QRectF(page.left(), page.top() + 40, page.width() / 2, 24), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Name: ") + QString::fromStdString(listener.name));
    painter.drawText(QRectF(page.left() + page.width() / 2, page.top() + 40, page.width() / 2, 24),
                     Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Datum: ") + QLocale(QLocale::German).toString(date, QStringLiteral("dd.MM.yyyy")));

    painter.setFont(PixelFont(13));
    const QRectF chart(page.left(), page.top() + 80, page.width(), page.width() * 0.68);
    CAudiogramChart::Draw(painter, chart, listener.hz, listener.left, listener.right, Ear::Right);
    const double below = chart.bottom() + 10;
    painter.setPen(Qt::black);
    painter.drawText(QRectF(page.left(), below, page.width(), 22), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("O rot, durchgezogen: rechtes Ohr     X blau, gestrichelt: linkes Ohr     "
                                    "orange: Sprachbereich (normale Sprechweise, 1 m)"));
    DrawLevelTable(painter, QRectF(page.left(), below + 34, page.width(), 66), listener);
    const QStringList index = SiiSummary(listener, aids);
    const double indexTop = below + 112;
    for (int i = 0; i < index.size(); ++i)
        painter.drawText(QRectF(page.left(), indexTop + 20.0 * i, page.width(), 20), Qt::AlignLeft | Qt::AlignVCenter,
                         index[i]);
    const double aidTop = indexTop + 20.0 * index.size() + 12;
    if (const std::optional<AidGainTable> aid = MakeAidGainTable(listener, aids))
        DrawAidTable(painter, QRectF(page.left(), aidTop, page.width(), 24 + 20.0 * (aid->rows.size() + 1)), *aid);
    painter.restore();
}

bool PrintAudiogram(QPagedPaintDevice& device, const Listener& listener, const QDate& date, const AidRules& aids)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    // Logical units of a fixed width, whatever the device's resolution.
    const double height = kPageWidth * device.height() / std::max(device.width(), 1);
    painter.setWindow(0, 0, static_cast<int>(kPageWidth), static_cast<int>(height));
    DrawAudiogramPage(painter, QRectF(0, 0, kPageWidth, height), listener, date, aids);
    return painter.end();
}
