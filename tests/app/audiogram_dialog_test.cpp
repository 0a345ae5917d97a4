#include "audiogram_dialog.h"
#include "audiogram_settings.h"
#include "test_support.h"

#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QMouseEvent>
#include <QSettings>
#include <QSpinBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>

namespace {

Listener Flat(double right, double left)
{
    Listener listener{"P", "P", {125, 8000}, {left, left}, {right, right}};
    return listener;
}

void Press(QWidget& widget, QPointF at, QEvent::Type type = QEvent::MouseButtonPress)
{
    QMouseEvent event(type, at, widget.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

}  // namespace

TEST(AudiogramChart, OctaveAxisAndDecibelAxisMapBothWays)
{
    const QRectF plot(60, 30, 600, 390);  // 100 pixels per octave, 3 pixels per dB
    EXPECT_DOUBLE_EQ(CAudiogramChart::XForHz(125, plot), 60.0);
    EXPECT_DOUBLE_EQ(CAudiogramChart::XForHz(1000, plot), 360.0) << "three octaves up";
    EXPECT_DOUBLE_EQ(CAudiogramChart::XForHz(8000, plot), 660.0);
    EXPECT_NEAR(CAudiogramChart::XForHz(750, plot), 60 + 100 * std::log2(6.0), 1e-9);
    EXPECT_NEAR(CAudiogramChart::HzForX(460, plot), 2000.0, 1e-9);
    EXPECT_DOUBLE_EQ(CAudiogramChart::YForLevel(-10, plot), 30.0);
    EXPECT_DOUBLE_EQ(CAudiogramChart::YForLevel(120, plot), 420.0);
    EXPECT_DOUBLE_EQ(CAudiogramChart::YForLevel(55, plot), 225.0);
    // Levels come in steps of 5 dB and stay on the chart.
    EXPECT_EQ(CAudiogramChart::LevelForY(225.0, plot), 55);
    EXPECT_EQ(CAudiogramChart::LevelForY(30 + 3 * 67, plot), 55) << "57 dB HL";
    EXPECT_EQ(CAudiogramChart::LevelForY(30 + 3 * 68, plot), 60) << "58 dB HL";
    EXPECT_EQ(CAudiogramChart::LevelForY(0.0, plot), -10);
    EXPECT_EQ(CAudiogramChart::LevelForY(1000.0, plot), 120);
    // The nearest chart frequency on the octave axis: 1100 Hz is nearest
    // 1000; 5000 Hz lies 0.32 octaves above 4000 and 0.26 below 6000.
    EXPECT_EQ(CAudiogramChart::PointForX(CAudiogramChart::XForHz(1100, plot), plot), 4);
    EXPECT_EQ(CAudiogramChart::PointForX(CAudiogramChart::XForHz(5000, plot), plot), 9);
    EXPECT_EQ(CAudiogramChart::PointForX(0, plot), 0);
    EXPECT_EQ(CAudiogramChart::PointForX(5000, plot), 10);
}

TEST(AudiogramDialog, DraggingAPointStepsBy5AndTheFieldFollowsTypingMovesThePoint)
{
    CAudiogramDialog dialog(Flat(20, 30), Ear::Right);
    dialog.resize(900, 600);
    dialog.show();
    CAudiogramChart& chart = dialog.Chart();
    const QRectF plot = chart.Plot();
    EXPECT_EQ(dialog.Field(4).value(), 20);

    Press(chart, {CAudiogramChart::XForHz(1000, plot), CAudiogramChart::YForLevel(42, plot)});
    EXPECT_EQ(chart.Levels()[4], 40);
    EXPECT_EQ(dialog.Field(4).value(), 40);
    Press(chart, {CAudiogramChart::XForHz(1150, plot), CAudiogramChart::YForLevel(63, plot)}, QEvent::MouseMove);
    EXPECT_EQ(chart.Levels()[4], 65) << "the drag stays on the point it took";
    EXPECT_EQ(dialog.Field(4).value(), 65);
    EXPECT_EQ(dialog.Field(5).value(), 20);

    dialog.Field(7).setValue(75);
    EXPECT_EQ(chart.Levels()[7], 75);

    // The other ear keeps its own values; the heard ear is the one shown.
    dialog.EarChoice().setCurrentIndex(1);
    EXPECT_EQ(dialog.HeardEar(), Ear::Left);
    EXPECT_EQ(dialog.Field(4).value(), 30);
    EXPECT_EQ(chart.Levels()[7], 30);
    const Listener entered = dialog.Entered();
    EXPECT_EQ(entered.right[4], 65.0);
    EXPECT_EQ(entered.right[7], 75.0);
    EXPECT_EQ(entered.left[4], 30.0);
    EXPECT_EQ(entered.hz.front(), 125.0);
    EXPECT_EQ(entered.hz.back(), 8000.0);
}

TEST(AudiogramDialog, ExportAndImportRoundTripAndAFileThatCannotBeReadChangesNothing)
{
    TempDir dir;
    const QString path = QString::fromStdString(dir.Path("out.json").string());
    CAudiogramDialog written(Flat(0, 0), Ear::Right);
    for (int i = 0; i < CAudiogramChart::kPoints; ++i)
        written.Field(i).setValue(5 * i);
    written.EarChoice().setCurrentIndex(1);
    written.Field(10).setValue(95);
    ASSERT_TRUE(written.ExportTo(path));

    CAudiogramDialog read(Flat(10, 10), Ear::Right);
    ASSERT_TRUE(read.ImportFrom(path, [](const std::vector<Listener>&) { return -1; }));
    EXPECT_EQ(read.Entered().right, written.Entered().right);
    EXPECT_EQ(read.Entered().left, written.Entered().left);
    EXPECT_EQ(read.Field(3).value(), 15);

    // Several listeners: the chooser picks; levels between given frequencies
    // are interpolated over log frequency (750 Hz lies 0.585 of the octave
    // from 500 to 1000: 10 + 0.585 * 20 = 21.7, shown as 22).
    std::ofstream(dir.Path("two.json")) << R"({"A": {"audiogram_cfs": [500, 1000], "audiogram_levels_l": [0, 0],
        "audiogram_levels_r": [0, 0]}, "B": {"audiogram_cfs": [500, 1000], "audiogram_levels_l": [10, 30],
        "audiogram_levels_r": [40, 60]}})";
    std::vector<std::string> offered;
    ASSERT_TRUE(read.ImportFrom(QString::fromStdString(dir.Path("two.json").string()),
                                [&](const std::vector<Listener>& listeners) {
                                    for (const Listener& listener : listeners)
                                        offered.push_back(listener.id);
                                    return 1;
                                }));
    EXPECT_EQ(offered, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(read.Entered().left[3], 22.0);
    EXPECT_EQ(read.Entered().right[0], 40.0) << "125 Hz: the 500 Hz value held";

    std::ofstream(dir.Path("bad.json")) << "{ not json";
    const std::vector<double> before = read.Entered().right;
    QString message;
    QTimer::singleShot(0, [&message] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            message = box->text();
            box->accept();
        }
    });
    EXPECT_FALSE(read.ImportFrom(QString::fromStdString(dir.Path("bad.json").string()), nullptr));
    EXPECT_TRUE(message.startsWith("'" + QString::fromStdString(dir.Path("bad.json").string()) +
                                   "' is not a usable audiogram file: not JSON"))
        << message.toStdString();
    EXPECT_EQ(read.Entered().right, before);
}

TEST(AudiogramSettings, TheLastAudiogramIsKeptAndADamagedEntryIsIgnored)
{
    QSettings().remove(QStringLiteral("audiogram"));
    EXPECT_FALSE(LoadLastAudiogram());
    const Listener listener{"Sonafel", "Frau M.", {125, 8000}, {10, 70}, {20, 80}};
    SaveLastAudiogram({listener, Ear::Left});
    const auto stored = LoadLastAudiogram();
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->listener.name, "Frau M.");
    EXPECT_EQ(stored->listener.right, listener.right);
    EXPECT_EQ(stored->heard, Ear::Left);

    QSettings().setValue(QStringLiteral("audiogram/listener"), QStringLiteral("{\"x\": [1, 2"));
    EXPECT_FALSE(LoadLastAudiogram());
    QSettings().remove(QStringLiteral("audiogram"));
}
