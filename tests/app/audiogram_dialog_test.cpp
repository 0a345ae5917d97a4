#include "audiogram_dialog.h"
#include "audiogram_folder.h"
#include "audiogram_presets.h"
#include "audiogram_print.h"
#include "audiogram_settings.h"
#include "test_support.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMessageBox>
#include <QMouseEvent>
#include <QSettings>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <QLocale>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

namespace {

// A listener as the research data set measures one: eight frequencies, no
// 125, 750 or 1500 Hz, sloping, the ears apart.
const char* const kMeasured = R"({"L0002": {"name": "L0002",
  "audiogram_cfs": [250, 500, 1000, 2000, 3000, 4000, 6000, 8000],
  "audiogram_levels_l": [45, 45, 35, 45, 60, 65, 70, 65],
  "audiogram_levels_r": [40, 40, 45, 45, 60, 65, 80, 80]}})";

Listener Measured()
{
    std::string error;
    return ParseListeners(kMeasured, error)->front();
}

void Press(QWidget& widget, QPointF at, QEvent::Type type = QEvent::MouseButtonPress)
{
    QMouseEvent event(type, at, widget.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

// Types `text` into a field as a user would, over what it shows, and presses Return.
void Type(CHearingLevelField& field, const QString& text)
{
    field.setFocus();
    field.findChild<QLineEdit*>()->selectAll();
    QTest::keyClicks(&field, text);
    QTest::keyClick(&field, Qt::Key_Return);
}

}  // namespace

TEST(AudiogramChart, FrequenciesAreNamedWithAGermanDecimalComma)
{
    EXPECT_EQ(CAudiogramChart::FrequencyLabel(125), QStringLiteral("125"));
    EXPECT_EQ(CAudiogramChart::FrequencyLabel(750), QStringLiteral("750"));
    EXPECT_EQ(CAudiogramChart::FrequencyLabel(1000), QStringLiteral("1k"));
    EXPECT_EQ(CAudiogramChart::FrequencyLabel(1500), QStringLiteral("1,5k"));
    EXPECT_EQ(CAudiogramChart::FrequencyLabel(8000), QStringLiteral("8k"));
    EXPECT_EQ(CAudiogramChart::FrequencyLabel(12500), QStringLiteral("12,5k"));
}

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
    // The nearest measured frequency on the octave axis: 1100 Hz is nearest
    // 1000; 5000 Hz lies 0.32 octaves above 4000 and 0.26 below 6000.
    const std::vector<double> hz = Measured().hz;
    EXPECT_EQ(CAudiogramChart::PointForX(hz, CAudiogramChart::XForHz(1100, plot), plot), 2);
    EXPECT_EQ(CAudiogramChart::PointForX(hz, CAudiogramChart::XForHz(5000, plot), plot), 6);
    EXPECT_EQ(CAudiogramChart::PointForX(hz, 0, plot), 0) << "125 Hz: nearest 250, the lowest measured";
    EXPECT_EQ(CAudiogramChart::PointForX(hz, 5000, plot), 7);
    EXPECT_EQ(CAudiogramChart::PointForX({}, 300, plot), -1);

    // An audiogram with a point beyond 8 kHz: the axis reaches 12.5 kHz,
    // 6.64 octaves (log2 100), so 10 kHz lies 6.32 / 6.64 of the way across
    // and nothing is drawn off the chart.
    const std::vector<double> extended = {250, 1000, 8000, 10000};
    EXPECT_EQ(CAudiogramChart::AxisOctaves({250, 1000, 8000}), 6.0);
    EXPECT_NEAR(CAudiogramChart::AxisOctaves(extended), std::log2(100.0), 1e-12);
    EXPECT_NEAR(CAudiogramChart::AxisOctaves({1000, 14000}), 7.0, 1e-12) << "16 kHz";
    EXPECT_NEAR(CAudiogramChart::XForHz(10000, plot, CAudiogramChart::AxisOctaves(extended)),
                60 + 600 * std::log2(80.0) / std::log2(100.0), 1e-9);
    EXPECT_EQ(CAudiogramChart::PointForX(extended, 660, plot), 3) << "the right end is 12.5 kHz, nearest 10 kHz";
}

TEST(AudiogramDialog, DraggingAPointStepsBy5AndTheFieldFollowsTypingMovesThePoint)
{
    CAudiogramDialog dialog(Measured(), Ear::Right);
    dialog.resize(900, 600);
    dialog.show();
    CAudiogramChart& chart = dialog.Chart();
    const QRectF plot = chart.Plot();
    ASSERT_EQ(dialog.FieldCount(), 8);
    EXPECT_EQ(dialog.Field(2).value(), 45) << "1000 Hz, right ear";

    Press(chart, {CAudiogramChart::XForHz(1000, plot), CAudiogramChart::YForLevel(52, plot)});
    EXPECT_EQ(chart.Levels()[2], 50);
    EXPECT_EQ(dialog.Field(2).value(), 50);
    // Dragged on to 1600 Hz, nearer 2000: it stays on the point it took.
    Press(chart, {CAudiogramChart::XForHz(1600, plot), CAudiogramChart::YForLevel(63, plot)}, QEvent::MouseMove);
    EXPECT_EQ(chart.Levels()[2], 65) << "the drag stays on the point it took";
    EXPECT_EQ(dialog.Field(3).value(), 45) << "2000 Hz untouched";

    dialog.Field(5).setValue(75);
    EXPECT_EQ(chart.Levels()[5], 75);

    // The other ear keeps its own values; the pointer edits the ear chosen.
    dialog.EarChoice().setCurrentIndex(1);
    EXPECT_EQ(dialog.EditedEar(), Ear::Left);
    EXPECT_EQ(chart.Edited(), Ear::Left);
    EXPECT_EQ(dialog.Field(2).value(), 35);
    EXPECT_EQ(chart.Levels()[6], 70);
    const Listener entered = dialog.Entered();
    EXPECT_EQ(entered.hz, Measured().hz) << "no frequency invented";
    EXPECT_EQ(entered.right, (std::vector<double>{40, 40, 65, 45, 60, 75, 80, 80}));
    EXPECT_EQ(entered.left, Measured().left);
}

TEST(AudiogramDialog, BothEarsAlikeAndAStandardLossForOneEar)
{
    CAudiogramDialog dialog(Measured(), Ear::Left);
    dialog.CopyToOtherEar();
    EXPECT_EQ(dialog.Entered().right, Measured().left) << "the right ear takes the left's";
    EXPECT_EQ(dialog.Entered().left, Measured().left);

    // S2 on the right ear, the left as measured. S2 brings 375, 750 and
    // 1500 Hz, which the measurement lacks; the left ear takes the level
    // between its neighbours there, on the 5 dB grid: 45 at 375 (45 and
    // 45), 40 at 750 (0.585 octaves from 45 at 500 to 35 at 1000: 39.2) and
    // 40 at 1500 (35 to 45: 40.8). The right ear takes S2's own values,
    // 22.5 at 750 Hz included, and its 95 held at 8 kHz.
    dialog.EarChoice().setCurrentIndex(0);
    dialog.CopyToOtherEar();  // back to the measured left ear on both sides
    dialog.EarChoice().setCurrentIndex(1);
    const Listener measured = Measured();
    for (int i = 0; i < dialog.FieldCount(); ++i)
        dialog.Field(i).setValue(measured.left[static_cast<std::size_t>(i)]);
    dialog.EarChoice().setCurrentIndex(0);
    dialog.TakeStandardLoss(FindAudiogramPreset("S2")->audiogram);
    const Listener entered = dialog.Entered();
    ASSERT_EQ(entered.hz, (std::vector<double>{250, 375, 500, 750, 1000, 1500, 2000, 3000, 4000, 6000, 8000}));
    EXPECT_EQ(dialog.FieldCount(), 11);
    EXPECT_EQ(entered.right, (std::vector<double>{20, 20, 20, 22.5, 25, 35, 55, 75, 95, 95, 95}));
    EXPECT_EQ(entered.left, (std::vector<double>{45, 45, 45, 40, 35, 40, 45, 60, 65, 70, 65}));
}

TEST(AudiogramDialog, TabGoesAsTheEyeReadsAndCopyingOverTheOtherEarAsksFirst)
{
    CAudiogramDialog dialog(Measured(), Ear::Left);
    dialog.show();
    // From the name along the rows: the ear, its copy, the eight fields,
    // then the frequency's row, then the standard loss's.
    QStringList order;
    QWidget* widget = &dialog.NameEdit();
    for (int i = 0; i < 16; ++i, widget = widget->nextInFocusChain()) {
        // A threshold field's own line edit is the field's.
        while (!(widget->focusPolicy() & Qt::TabFocus) || !widget->isVisible() ||
               qobject_cast<QAbstractSpinBox*>(widget->parentWidget()))
            widget = widget->nextInFocusChain();
        const auto* button = qobject_cast<QPushButton*>(widget);
        order << (button ? button->text() : widget->accessibleName());
    }
    EXPECT_EQ(order.join(QStringLiteral(" | ")).toStdString(),
              std::string("Name | Bearbeitetes Ohr | Beide Ohren &gleich | 250 Hz in dB HL | 500 Hz in dB HL | "
                             "1.000 Hz in dB HL | 2.000 Hz in dB HL | 3.000 Hz in dB HL | 4.000 Hz in dB HL | "
                             "6.000 Hz in dB HL | 8.000 Hz in dB HL | Frequenz | &Hinzufügen | &Entfernen | "
                             "Standardverlust | Für dieses Ohr ü&bernehmen"));

    // The ears differ: the copy asks, and Abbrechen keeps the right ear.
    const auto answer = [](const char* button) {
        QTimer::singleShot(0, [button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            EXPECT_TRUE(box->text().startsWith(QStringLiteral("Das andere Ohr hat eigene Werte")));
            for (QAbstractButton* candidate : box->buttons())
                if (candidate->text() == QString::fromUtf8(button))
                    candidate->click();
        });
    };
    answer("Abbrechen");
    dialog.CopyButton().click();
    EXPECT_EQ(dialog.Entered().right, Measured().right);
    answer("Ersetzen");
    dialog.CopyButton().click();
    EXPECT_EQ(dialog.Entered().right, Measured().left);
    // Alike now: nothing to ask.
    QTimer watch;
    bool asked = false;
    QObject::connect(&watch, &QTimer::timeout, [&asked] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            asked = true;
            box->reject();
        }
    });
    watch.start(10);
    dialog.CopyButton().click();
    QTest::qWait(50);
    EXPECT_FALSE(asked);
}

TEST(AudiogramDialog, AnEnteredAudiogramIsKeyedByItsNameAndAChangedLossSaysSo)
{
    // Entered here: keyed by the name typed, and by a new name when renamed.
    CAudiogramDialog entered(Listener{"Sonafel", "Sonafel", {1000}, {30}, {30}}, Ear::Right);
    for (const auto& [name, key] : {std::pair{"Frau M.", "Frau_M"}, {"Herr K. (2. Termin)", "Herr_K_2_Termin"},
                                    {"...", "Sonafel"}}) {
        entered.NameEdit().setText(QString::fromUtf8(name));
        EXPECT_EQ(entered.Entered().id, key) << name;
    }
    // A standard loss changed under its name: said to be changed.
    CAudiogramDialog standard(Listener{"N7", "N7: an Taubheit grenzend", {1000, 4000}, {90, 100}, {90, 100}},
                              Ear::Right);
    EXPECT_EQ(standard.DisplayName(), QString::fromUtf8("N7: an Taubheit grenzend"));
    standard.Field(0).setValue(85);
    EXPECT_EQ(standard.DisplayName(), QString::fromUtf8("N7: an Taubheit grenzend (geändert)"));
    EXPECT_EQ(standard.Entered().id, "N7") << "a file's key stays";
    standard.NameEdit().setText(QStringLiteral("Herr K."));
    EXPECT_EQ(standard.DisplayName(), QStringLiteral("Herr K.")) << "a new name is the user's";
}

TEST(AudiogramSettings, TheFileDialogsStartWhereTheLastAudiogramFileWent)
{
    TempDir dir;
    QSettings().remove(QStringLiteral("audiogram/folder"));
    EXPECT_EQ(AudiogramFolder(), QDir::homePath());
    RememberAudiogramFolder(QString::fromStdString(dir.Path("frau-m.json").string()));
    EXPECT_EQ(AudiogramFolder(), QString::fromStdString(dir.Path("").string()).chopped(1));
    // Gone, too long, or not text: the home folder.
    for (const QVariant& stored : {QVariant(QStringLiteral("/nicht/da")), QVariant(QString(5000, QLatin1Char('a'))),
                                   QVariant(42)}) {
        QSettings().setValue(QStringLiteral("audiogram/folder"), stored);
        EXPECT_EQ(AudiogramFolder(), QDir::homePath()) << stored.toString().left(20).toStdString();
    }
    QSettings().remove(QStringLiteral("audiogram/folder"));
}

TEST(AudiogramPrint, APageShowsBothEarsInTheirColoursAndAPdfIsWritten)
{
    const Listener listener = Measured();
    QImage page(800, 1131, QImage::Format_RGB32);
    {
        QPainter painter(&page);
        DrawAudiogramPage(painter, QRectF(0, 0, 800, 1131), listener, QDate(2026, 12, 8));
    }
    // The chart sits 80 below the top, 544 high: its plot from x 60 to 770,
    // y 110 to 598. At 8 kHz (x 770) the right ear is at 80 dB HL
    // (y = 110 + 90/130 · 488 = 447.8) and the left at 65 (391.5): a red
    // ring around the one and a blue cross on the other.
    const auto isRed = [](QColor c) { return c.red() > 150 && c.green() < 100 && c.blue() < 100; };
    const auto isBlue = [](QColor c) { return c.blue() > 150 && c.red() < 100 && c.green() < 100; };
    bool red = false, blue = false;
    for (int dy = -7; dy <= 7; ++dy)
        for (int dx = -7; dx <= 0; ++dx) {
            red = red || isRed(page.pixelColor(770 + dx, 448 + dy));
            blue = blue || isBlue(page.pixelColor(770 + dx, 392 + dy));
        }
    EXPECT_TRUE(red) << "right ear, 80 dB HL at 8 kHz";
    EXPECT_TRUE(blue) << "left ear, 65 dB HL at 8 kHz";

    TempDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(dir.Path("audiogramm.pdf").string()));
    ASSERT_TRUE(PrintAudiogram(printer, listener, QDate(2026, 12, 8)));
    std::ifstream pdf(dir.Path("audiogramm.pdf"), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(pdf), std::istreambuf_iterator<char>()};
    EXPECT_EQ(bytes.rfind("%PDF", 0), 0u);
    EXPECT_GT(bytes.size(), 2000u);
}

TEST(AudiogramDialog, AnImportedListenerKeepsItsFrequenciesValuesIdAndNameThroughExport)
{
    TempDir dir;
    std::ofstream(dir.Path("l0002.json")) << kMeasured;
    CAudiogramDialog dialog(Listener{"Sonafel", "Sonafel", {125, 8000}, {0, 0}, {0, 0}}, Ear::Right);
    ASSERT_TRUE(dialog.ImportFrom(QString::fromStdString(dir.Path("l0002.json").string()), nullptr));
    ASSERT_EQ(dialog.FieldCount(), 8);
    EXPECT_EQ(dialog.NameEdit().text(), "L0002");
    const QString out = QString::fromStdString(dir.Path("out.json").string());
    ASSERT_TRUE(dialog.ExportTo(out));
    std::string error;
    const auto written = ReadListenerFile(out.toStdString(), error);
    ASSERT_TRUE(written) << error;
    const Listener& again = written->front();
    EXPECT_EQ(again.id, "L0002");
    EXPECT_EQ(again.name, "L0002");
    EXPECT_EQ(again.hz, Measured().hz);
    EXPECT_EQ(again.left, Measured().left);
    EXPECT_EQ(again.right, Measured().right);

    // Values off the 5 dB grid that came from a file stay as they are.
    std::ofstream(dir.Path("odd.json")) << R"({"P9": {"name": "Herr K.", "audiogram_cfs": [500, 1000],
        "audiogram_levels_l": [22.5, 23], "audiogram_levels_r": [-10, 120]}})";
    ASSERT_TRUE(dialog.ImportFrom(QString::fromStdString(dir.Path("odd.json").string()), nullptr));
    dialog.EarChoice().setCurrentIndex(1);
    EXPECT_EQ(dialog.Field(0).text(), "22,5");
    EXPECT_EQ(dialog.Entered().left, (std::vector<double>{22.5, 23}));
    EXPECT_EQ(dialog.Entered().right, (std::vector<double>{-10, 120}));
    EXPECT_EQ(dialog.Entered().name, "Herr K.");

    // Several listeners: the chooser picks.
    std::ofstream(dir.Path("two.json")) << R"({"A": {"audiogram_cfs": [500, 1000], "audiogram_levels_l": [0, 0],
        "audiogram_levels_r": [0, 0]}, "B": {"audiogram_cfs": [500, 1000], "audiogram_levels_l": [10, 30],
        "audiogram_levels_r": [40, 60]}})";
    std::vector<std::string> offered;
    ASSERT_TRUE(dialog.ImportFrom(QString::fromStdString(dir.Path("two.json").string()),
                                  [&](const std::vector<Listener>& listeners) {
                                      for (const Listener& listener : listeners)
                                          offered.push_back(listener.id);
                                      return 1;
                                  }));
    EXPECT_EQ(offered, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(dialog.Entered().id, "B");
    EXPECT_EQ(dialog.Entered().right, (std::vector<double>{40, 60}));

    std::ofstream(dir.Path("bad.json")) << "{ not json";
    const Listener before = dialog.Entered();
    QString message;
    QTimer::singleShot(0, [&message] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            message = box->text();
            box->accept();
        }
    });
    EXPECT_FALSE(dialog.ImportFrom(QString::fromStdString(dir.Path("bad.json").string()), nullptr));
    // In German, what it is not and what is expected; the parser's words after it.
    EXPECT_TRUE(message.startsWith(QString::fromUtf8("„%1“ ist keine Audiogramm-Datei, die Sonafel lesen kann.")
                                       .arg(QString::fromStdString(dir.Path("bad.json").string()))))
        << message.toStdString();
    EXPECT_TRUE(message.contains(QLatin1String(". (kein JSON: "))) << message.toStdString();
    EXPECT_EQ(dialog.Entered().right, before.right);

    // A listener file with one value beyond the range: named in German,
    // as an audiogram that cannot be taken, not as no audiogram file.
    std::ofstream(dir.Path("loud.json")) << R"({"X1": {"audiogram_cfs": [500, 1000],
        "audiogram_levels_l": [40, 130.5], "audiogram_levels_r": [-15, 40]}})";
    message.clear();
    QTimer::singleShot(0, [&message] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            message = box->text();
            box->accept();
        }
    });
    EXPECT_FALSE(dialog.ImportFrom(QString::fromStdString(dir.Path("loud.json").string()), nullptr));
    EXPECT_EQ(message.toStdString(), "„" + dir.Path("loud.json").string() +
                                         "“ enthält ein Audiogramm, das Sonafel nicht übernehmen kann: Hörer X1: "
                                         "linkes Ohr: 130,5 dB HL bei 1000 Hz liegt außerhalb von −10 bis 120 dB HL. "
                                         "Korrigieren Sie den Wert in der Datei.");
    EXPECT_EQ(dialog.Entered().id, before.id);

    // Missing, and not writable: said in German, with the system's reason.
    const auto answered = [&message](const std::function<bool()>& action) {
        message.clear();
        QTimer::singleShot(0, [&message] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                message = box->text();
                box->accept();
            }
        });
        EXPECT_FALSE(action());
        return message;
    };
    const QString missing = QString::fromStdString(dir.Path("missing.json").string());
    EXPECT_TRUE(answered([&] { return dialog.ImportFrom(missing, nullptr); })
                    .startsWith(QString::fromUtf8("„%1“ lässt sich nicht öffnen.").arg(missing)));
    const QString nowhere = QString::fromStdString(dir.Path("no-such-folder/a.json").string());
    EXPECT_TRUE(answered([&] { return dialog.ExportTo(nowhere); })
                    .startsWith(QString::fromUtf8("Das Audiogramm ließ sich nicht in „%1“ speichern.").arg(nowhere)));
    EXPECT_FALSE(std::filesystem::exists(dir.Path("no-such-folder")));
}

TEST(AudiogramDialog, AFrequencyIsAddedWhereTheLineRunsOnTheGridAndRemovedFromBothEars)
{
    CAudiogramDialog dialog(Measured(), Ear::Left);
    QComboBox& frequency = dialog.FrequencyChoice();
    frequency.setCurrentIndex(frequency.findData(1500.0));
    EXPECT_TRUE(dialog.AddFrequencyButton().isEnabled());
    EXPECT_FALSE(dialog.RemoveFrequencyButton().isEnabled()) << "1500 Hz is not measured";
    dialog.AddFrequencyButton().click();
    // 1500 Hz lies log2(1.5) = 0.585 of the octave from 1000 to 2000: left
    // 35 + 0.585·10 = 40.8, on the grid 40; right 45 throughout.
    ASSERT_EQ(dialog.FieldCount(), 9);
    EXPECT_EQ(dialog.Entered().hz[3], 1500.0);
    EXPECT_EQ(dialog.Entered().left[3], 40.0);
    EXPECT_EQ(dialog.Entered().right[3], 45.0);
    EXPECT_EQ(dialog.Field(3).value(), 40.0) << "the left ear is shown";
    EXPECT_FALSE(dialog.AddFrequencyButton().isEnabled());

    frequency.setCurrentIndex(frequency.findData(6000.0));
    dialog.RemoveFrequencyButton().click();
    EXPECT_EQ(dialog.Entered().hz, (std::vector<double>{250, 500, 1000, 1500, 2000, 3000, 4000, 8000}));
    EXPECT_EQ(dialog.Entered().left, (std::vector<double>{45, 45, 35, 40, 45, 60, 65, 65}));
    EXPECT_EQ(dialog.Entered().right, (std::vector<double>{40, 40, 45, 45, 45, 60, 65, 80}));

    CAudiogramDialog single(Listener{"X", "X", {1000}, {10}, {10}}, Ear::Right);
    single.FrequencyChoice().setCurrentIndex(single.FrequencyChoice().findData(1000.0));
    EXPECT_FALSE(single.RemoveFrequencyButton().isEnabled()) << "an audiogram keeps one frequency";
}

TEST(AudiogramDialog, TypedValuesOutOfRangeOrOffTheGridAreRefusedVisiblyAndChangeNothing)
{
    CAudiogramDialog dialog(Measured(), Ear::Right);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    CHearingLevelField& field = dialog.Field(4);  // 3000 Hz, 60
    field.findChild<QLineEdit*>()->selectAll();
    field.setFocus();
    QTest::keyClicks(&field, "150");
    EXPECT_EQ(field.findChild<QLineEdit*>()->text(), "150") << "not cut to 15 while typing";
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(dialog.Refusal(), "3.000 Hz: 150 dB HL liegt außerhalb von −10 bis 120 dB HL.");
    EXPECT_EQ(field.value(), 60.0);
    EXPECT_EQ(field.findChild<QLineEdit*>()->text(), "60");
    EXPECT_TRUE(dialog.isVisible()) << "Return with a refused value does not press OK";

    Type(field, "37");
    EXPECT_EQ(dialog.Refusal(), "3.000 Hz: 37 dB HL liegt nicht im 5-dB-Raster der Audiometer (…, 35, 40, …).");
    QTest::keyClick(&field, Qt::Key_4);
    EXPECT_EQ(dialog.Refusal(), "") << "the reason goes at the next keystroke";
    EXPECT_EQ(dialog.Entered().right[4], 60.0);
    Type(field, "-15");
    EXPECT_EQ(dialog.Refusal(), "3.000 Hz: -15 dB HL liegt außerhalb von −10 bis 120 dB HL.");
    Type(field, "35");
    EXPECT_EQ(dialog.Refusal(), "") << "a value taken clears the reason";
    EXPECT_EQ(dialog.Entered().right[4], 35.0);
    Type(field, "-5");
    EXPECT_EQ(dialog.Entered().right[4], -5.0);
    // The range's ends are taken; a step beyond them is not.
    for (const auto& [typed, taken] : {std::pair{"120", 120.0}, {"-10", -10.0}, {"125", -10.0}, {"-15", -10.0}}) {
        Type(field, QString::fromUtf8(typed));
        EXPECT_EQ(dialog.Entered().right[4], taken) << typed;
    }
    // German numbers: a decimal comma, a typographic minus.
    Type(field, "45,0");
    EXPECT_EQ(dialog.Refusal(), "");
    EXPECT_EQ(dialog.Entered().right[4], 45.0);
    EXPECT_EQ(field.Refusal(QString::fromUtf8("−10"), false), "");
    Type(field, "42,5");
    EXPECT_EQ(dialog.Refusal(), "3.000 Hz: 42,5 dB HL liegt nicht im 5-dB-Raster der Audiometer (…, 40, 45, …).");
    EXPECT_EQ(dialog.Entered().right[4], 45.0);

    // A file's value off the grid is shown as it is and taken as it is when
    // only passed through: Tab raises no refusal, Return presses OK.
    for (const double level : {22.25, 22.125, 57.5}) {
        CAudiogramDialog kept(Listener{"X", "X", {1000, 2000}, {level, 30}, {level, 30}}, Ear::Right);
        kept.show();
        QApplication::setActiveWindow(&kept);
        kept.Field(0).setFocus();
        EXPECT_EQ(kept.Field(0).findChild<QLineEdit*>()->text(), QLocale(QLocale::German).toString(level)) << level;
        QTest::keyClick(&kept.Field(0), Qt::Key_Tab);
        EXPECT_EQ(kept.Refusal(), "") << level;
        kept.Field(0).setFocus();
        QTest::keyClick(&kept.Field(0), Qt::Key_Return);
        EXPECT_EQ(kept.result(), QDialog::Accepted) << level;
        EXPECT_EQ(kept.Entered().right[0], level);
    }

    // The arrow keys step along the grid, also from a value off it.
    CAudiogramDialog odd(Listener{"X", "X", {1000}, {22.5}, {22.5}}, Ear::Right);
    odd.Field(0).stepBy(1);
    EXPECT_EQ(odd.Entered().right[0], 25.0);
    odd.Field(0).stepBy(-2);
    EXPECT_EQ(odd.Entered().right[0], 15.0);
}

TEST(AudiogramDialog, AbbrechenOrEscapeAsksBeforeAChangedAudiogramIsDiscarded)
{
    // Answers the question, if one comes, with the button `choice`; keeps its text.
    QString asked;
    const auto answerWith = [&asked](const QString& choice) {
        asked.clear();
        QTimer::singleShot(0, [&asked, choice] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                asked = box->text();
                for (QAbstractButton* button : box->buttons())
                    if (button->text() == choice)
                        button->click();
            }
        });
    };

    // Unchanged: closes at once, nothing asked.
    CAudiogramDialog untouched(Measured(), Ear::Right);
    untouched.show();
    EXPECT_FALSE(untouched.Changed());
    untouched.reject();
    EXPECT_FALSE(untouched.isVisible());
    EXPECT_EQ(untouched.result(), QDialog::Rejected);

    // A typed value: asked; "Weiter bearbeiten" keeps the dialog and the value.
    CAudiogramDialog dialog(Measured(), Ear::Right);
    dialog.show();
    dialog.Field(2).setValue(70);
    EXPECT_TRUE(dialog.Changed());
    answerWith(QStringLiteral("&Weiter bearbeiten"));
    dialog.reject();
    EXPECT_EQ(asked, QString::fromUtf8("Das Audiogramm wurde geändert. Sollen die Änderungen verworfen werden?"));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.Entered().right[2], 70.0);

    // Escape asks too; "Verwerfen" closes it.
    answerWith(QStringLiteral("&Verwerfen"));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(asked.isEmpty());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);

    // Typed back to what it was: nothing to lose, nothing asked.
    CAudiogramDialog undone(Measured(), Ear::Right);
    undone.show();
    const double before = undone.Entered().right[2];
    undone.Field(2).setValue(before + 10);
    undone.Field(2).setValue(before);
    answerWith(QStringLiteral("&Weiter bearbeiten"));
    undone.reject();
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_FALSE(undone.isVisible());
    QApplication::processEvents();  // the answer not needed goes by

    // An imported listener counts as a change.
    TempDir dir;
    std::ofstream(dir.Path("one.json"))
        << R"({"L": {"name": "Frau K.", "audiogram_cfs": [500, 4000], "audiogram_levels_l": [20, 60],)"
           R"( "audiogram_levels_r": [30, 70]}})";
    CAudiogramDialog imported(Measured(), Ear::Right);
    imported.show();
    ASSERT_TRUE(imported.ImportFrom(QString::fromStdString(dir.Path("one.json").string()), nullptr));
    EXPECT_TRUE(imported.Changed());
    answerWith(QStringLiteral("&Verwerfen"));
    imported.reject();
    EXPECT_FALSE(asked.isEmpty());
    EXPECT_FALSE(imported.isVisible());
}

TEST(AudiogramSettings, TheLastAudiogramIsKeptAndADamagedEntryIsIgnored)
{
    QSettings().remove(QStringLiteral("audiogram"));
    EXPECT_FALSE(LoadLastAudiogram());
    const Listener listener = Measured();
    SaveLastAudiogram({listener, Ear::Left});
    const auto stored = LoadLastAudiogram();
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->listener.id, "L0002");
    EXPECT_EQ(stored->listener.hz, listener.hz);
    EXPECT_EQ(stored->listener.right, listener.right);
    EXPECT_EQ(stored->edited, Ear::Left);

    // Damaged, or hostile: ignored, with the reason for whoever asks.
    std::string damage;
    QSettings().setValue(QStringLiteral("audiogram/listener"), QStringLiteral("{\"x\": [1, 2"));
    EXPECT_FALSE(LoadLastAudiogram(&damage));
    EXPECT_EQ(damage.rfind("kein JSON: ", 0), 0u) << damage;
    QSettings().setValue(QStringLiteral("audiogram/listener"),
                         QString::fromStdString(R"({"L":{"audiogram_cfs":[1e400],"audiogram_levels_l":[1],)"
                                                R"("audiogram_levels_r":[1]}})"));
    EXPECT_FALSE(LoadLastAudiogram(&damage));
    QSettings().setValue(QStringLiteral("audiogram/listener"),
                         QString(200000, QLatin1Char('[')) + QString(200000, QLatin1Char(']')));
    EXPECT_FALSE(LoadLastAudiogram(&damage));
    EXPECT_EQ(damage, "mehr als 8 Ebenen tief verschachtelt, keine Hörerdatei");
    QSettings().remove(QStringLiteral("audiogram"));
}
