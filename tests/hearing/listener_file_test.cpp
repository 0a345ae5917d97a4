#include "listener_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

const char* const kTwoListeners = R"({
  "L0002": {"name": "L0002", "audiogram_cfs": [250, 500, 1000, 2000, 3000, 4000, 6000, 8000],
            "audiogram_levels_l": [45, 45, 35, 45, 60, 65, 70, 65],
            "audiogram_levels_r": [40, 40, 45, 45, 60, 65, 80, 80]},
  "L0001": {"name": "Anna", "audiogram_cfs": [500, 1000],
            "audiogram_levels_l": [10, 20.5], "audiogram_levels_r": [-5, 0]}
})";

std::string Refusal(const std::string& text)
{
    std::string error;
    EXPECT_FALSE(ParseListeners(text, error)) << text;
    return error;
}

std::string Entry(const std::string& fields)
{
    return R"({"L1": {)" + fields + "}}";
}

}  // namespace

TEST(ListenerFile, ReadsSeveralListenersInTheFilesOrderWithBothEars)
{
    std::string error;
    const auto listeners = ParseListeners(kTwoListeners, error);
    ASSERT_TRUE(listeners) << error;
    ASSERT_EQ(listeners->size(), 2u);
    const Listener& first = (*listeners)[0];
    EXPECT_EQ(first.id, "L0002");
    EXPECT_EQ(first.hz.size(), 8u);
    const CAudiogram left = ListenerAudiogram(first, Ear::Left);
    const CAudiogram right = ListenerAudiogram(first, Ear::Right);
    EXPECT_EQ(left.LevelAt(1000), 35.0);
    EXPECT_EQ(right.LevelAt(1000), 45.0);
    EXPECT_EQ(right.LevelAt(6000), 80.0);
    EXPECT_EQ(left.LevelAt(125), 45.0) << "held below 250 Hz";
    EXPECT_EQ((*listeners)[1].name, "Anna");
    EXPECT_EQ(ListenerAudiogram((*listeners)[1], Ear::Left).LevelAt(1000), 20.5);
}

TEST(ListenerFile, MissingOrMalformedFieldsAndBadFrequenciesAreRefusedWithTheReason)
{
    EXPECT_EQ(Refusal("[1, 2]"), "not a listener file: no listeners keyed by id");
    EXPECT_EQ(Refusal("{}"), "not a listener file: no listeners keyed by id");
    EXPECT_EQ(Refusal(R"({"L1": 3})"), "listener L1: is not an object");
    EXPECT_EQ(Refusal(Entry(R"("audiogram_levels_l": [1], "audiogram_levels_r": [1])")),
              "listener L1: audiogram_cfs is missing");
    EXPECT_EQ(Refusal(Entry(R"("audiogram_cfs": [500], "audiogram_levels_l": [1])")),
              "listener L1: audiogram_levels_r is missing");
    EXPECT_EQ(Refusal(Entry(R"("audiogram_cfs": 500, "audiogram_levels_l": [1], "audiogram_levels_r": [1])")),
              "listener L1: audiogram_cfs is not a list");
    EXPECT_EQ(Refusal(Entry(R"("audiogram_cfs": [500], "audiogram_levels_l": ["x"], "audiogram_levels_r": [1])")),
              "listener L1: audiogram_levels_l holds \"x\", not a number");
    EXPECT_EQ(Refusal(Entry(R"("audiogram_cfs": [500, 1000], "audiogram_levels_l": [1], "audiogram_levels_r": [1, 2])")),
              "listener L1: 1 left levels for 2 frequencies");
    EXPECT_EQ(Refusal(Entry(R"("audiogram_cfs": [1000, 500], "audiogram_levels_l": [1, 2], "audiogram_levels_r": [1, 2])")),
              "listener L1: left ear: 500 Hz is not above the frequency before it");
    EXPECT_EQ(Refusal(Entry(R"("audiogram_cfs": [500, 500], "audiogram_levels_l": [1, 2], "audiogram_levels_r": [1, 2])")),
              "listener L1: left ear: 500 Hz is not above the frequency before it");
    EXPECT_EQ(Refusal(Entry(R"("audiogram_cfs": [500], "audiogram_levels_l": [1], "audiogram_levels_r": [130])")),
              "listener L1: right ear: 130 dB HL at 500 Hz lies outside -10 to 120 dB HL");
    EXPECT_EQ(Refusal(Entry(R"("name": 7, "audiogram_cfs": [500], "audiogram_levels_l": [1], "audiogram_levels_r": [1])")),
              "listener L1: name is not a text");
    EXPECT_EQ(Refusal(R"({"L1": {"audiogram_cfs": [500],)").rfind("not JSON: ", 0), 0u);
}

TEST(ListenerFile, EachEarsCountAndRangeIsCheckedAndSaidInBothLanguages)
{
    // Each ear's level count against the frequencies, the range's ends
    // (−10 and 120 taken, just beyond refused), in English and German.
    const struct {
        const char* fields;
        const char* english;  // empty: taken
        const char* german;
    } kCases[] = {
        {R"("audiogram_cfs": [500, 1000], "audiogram_levels_l": [1, 2], "audiogram_levels_r": [1])",
         "listener L1: 1 right levels for 2 frequencies", "Hörer L1: 1 Werte für das rechte Ohr bei 2 Frequenzen"},
        {R"("audiogram_cfs": [500], "audiogram_levels_l": [1, 2], "audiogram_levels_r": [1])",
         "listener L1: 2 left levels for 1 frequencies", "Hörer L1: 2 Werte für das linke Ohr bei 1 Frequenzen"},
        {R"("audiogram_cfs": [500, 1000], "audiogram_levels_l": [-10, 120], "audiogram_levels_r": [120, -10])", "",
         ""},
        {R"("audiogram_cfs": [500], "audiogram_levels_l": [-10.5], "audiogram_levels_r": [0])",
         "listener L1: left ear: -10.5 dB HL at 500 Hz lies outside -10 to 120 dB HL",
         "Hörer L1: linkes Ohr: −10,5 dB HL bei 500 Hz liegt außerhalb von −10 bis 120 dB HL"},
        {R"("audiogram_cfs": [750], "audiogram_levels_l": [0], "audiogram_levels_r": [120.5])",
         "listener L1: right ear: 120.5 dB HL at 750 Hz lies outside -10 to 120 dB HL",
         "Hörer L1: rechtes Ohr: 120,5 dB HL bei 750 Hz liegt außerhalb von −10 bis 120 dB HL"},
    };
    for (const auto& test : kCases) {
        ListenerFileRefusal why;
        const bool taken = ParseListeners(Entry(test.fields), why).has_value();
        EXPECT_EQ(taken, *test.english == '\0') << test.fields;
        EXPECT_EQ(why.reason.english, test.english);
        EXPECT_EQ(why.reason.german, test.german);
        EXPECT_EQ(why.listenerFile, !taken) << "a listener file whose values are wrong is still one";
    }
    ListenerFileRefusal why;
    EXPECT_FALSE(ParseListeners("[1]", why));
    EXPECT_FALSE(why.listenerFile);
    EXPECT_EQ(why.reason.german, "keine Hörerdatei: keine Hörer unter einer Kennung");
}

TEST(ListenerFile, HostileTextIsRefusedBeforeItCanExhaustTheStackOrMemory)
{
    // Beyond a double's range: the parser's range error, not only its syntax errors, is caught.
    EXPECT_EQ(Refusal(Entry(R"("audiogram_cfs": [1e400], "audiogram_levels_l": [1], "audiogram_levels_r": [1])"))
                  .rfind("not JSON: ", 0),
              0u);
    // Nesting: eight levels pass to the reader, nine are refused unparsed;
    // brackets inside a name (escaped quotes included) do not count.
    EXPECT_EQ(Refusal(R"({"L1": {"audiogram_cfs": [[[[[[1]]]]]]}})"),
              "listener L1: audiogram_cfs holds [[[[[1]]]]], not a number");
    EXPECT_EQ(Refusal(R"({"L1": {"audiogram_cfs": [[[[[[[1]]]]]]]}})"),
              "nested more than 8 levels deep, not a listener file");
    EXPECT_EQ(Refusal(std::string(200000, '[') + std::string(200000, ']')),
              "nested more than 8 levels deep, not a listener file");
    std::string error;
    const auto bracketsInAName = ParseListeners(
        R"({"L1": {"name": "[[[[[[[[[[\"{{{{{{{{{", "audiogram_cfs": [500], "audiogram_levels_l": [1],
            "audiogram_levels_r": [2]}})",
        error);
    ASSERT_TRUE(bracketsInAName) << error;
    EXPECT_EQ(bracketsInAName->front().name, "[[[[[[[[[[\"{{{{{{{{{");

    // A value the message quotes is cut short; a list longer than any audiogram is refused.
    EXPECT_EQ(Refusal(Entry(R"("audiogram_cfs": [")" + std::string(5000, 'x') +
                            R"("], "audiogram_levels_l": [1], "audiogram_levels_r": [1])")),
              "listener L1: audiogram_cfs holds \"" + std::string(39, 'x') + "..., not a number");
    std::string many = "[100";
    for (int hz = 101; hz < 165; ++hz)
        many += "," + std::to_string(hz);
    EXPECT_EQ(Refusal(Entry(R"("audiogram_cfs": )" + many + R"(], "audiogram_levels_l": [1], "audiogram_levels_r": [1])")),
              "listener L1: audiogram_cfs holds 65 values, more than the 64 an audiogram may have");

    // Larger than a listener file can be: refused from the text and from a file.
    const std::string padded = std::string(kMaxListenerFileBytes, ' ') + kTwoListeners;
    EXPECT_EQ(Refusal(padded), "larger than 1048576 bytes, far more than a listener file holds");
    TempDir dir;
    std::ofstream(dir.Path("big.json")) << padded;
    EXPECT_FALSE(ReadListenerFile(dir.Path("big.json").string(), error));
    EXPECT_EQ(error, "'" + dir.Path("big.json").string() +
                         "' is not a usable audiogram file: larger than 1048576 bytes, far more than a listener file "
                         "holds");
}

TEST(ListenerFile, OneListenerWrittenReadsBackTheSameAndFilesNameThemselvesInErrors)
{
    const Listener written{"P7", "Herr K.", {250, 1000, 8000}, {20, 37.5, 80}, {15, 40, 95}};
    TempDir dir;
    const std::string path = dir.Path("p7.json").string();
    std::string error;
    ASSERT_TRUE(WriteListenerFile(path, written, error)) << error;
    const auto read = ReadListenerFile(path, error);
    ASSERT_TRUE(read) << error;
    ASSERT_EQ(read->size(), 1u);
    EXPECT_EQ((*read)[0].id, "P7");
    EXPECT_EQ((*read)[0].name, "Herr K.");
    EXPECT_EQ((*read)[0].hz, written.hz);
    EXPECT_EQ((*read)[0].left, written.left);
    EXPECT_EQ((*read)[0].right, written.right);
    EXPECT_EQ(ListenerFileText(written).find(".0"), std::string::npos) << "whole numbers without .0";

    EXPECT_FALSE(ReadListenerFile(dir.Path("missing.json").string(), error));
    EXPECT_EQ(error, "Cannot read '" + dir.Path("missing.json").string() + "': No such file or directory");
    std::ofstream(dir.Path("bad.json")) << R"({"L1": {"audiogram_cfs": []}})";
    EXPECT_FALSE(ReadListenerFile(dir.Path("bad.json").string(), error));
    EXPECT_EQ(error, "'" + dir.Path("bad.json").string() +
                         "' is not a usable audiogram file: listener L1: audiogram_levels_l is missing");
    EXPECT_FALSE(WriteListenerFile(dir.Path("no/such/dir.json").string(), written, error));
    EXPECT_NE(error.find("Cannot write"), std::string::npos);
}
