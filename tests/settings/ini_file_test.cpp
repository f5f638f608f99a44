// Reading and writing rules of the INI store: what survives a load and how edits land in the text.
#include "core_temp_dir.h"
#include "settings/ini_file.h"

#include <gtest/gtest.h>

namespace kelvara {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

constexpr std::string_view firstRunFile = "[MainForm]\r\n"
                                          "FormVersion=0\r\n"
                                          "ShowCmd=1\r\n"
                                          "Flags=0\r\n"
                                          "PixelsPerInch=96\r\n"
                                          "MinMaxPos(1920x1080)=-1,-1,-1,-1\r\n"
                                          "MinMaxPos=-1,-1,-1,-1\r\n"
                                          "NormPos(1920x1080)=444,205,1069,745\r\n"
                                          "NormPos=444,205,1069,745\r\n"
                                          "\r\n";

IniFile loaded(const std::filesystem::path& path, std::string_view bytes) {
    writeFile(path, bytes);
    IniFile file(path);
    file.load();
    return file;
}

TEST(IniFile, FirstSaveCreatesFolderAndWritesSectionWithCrLfAndTrailingEmptyLine) {
    TempDir folder;
    const auto path = folder / "not yet there" / "Kelvara.kvs";
    IniFile file(path);
    file.load();
    EXPECT_EQ(file.text(), "");

    file.writeInteger("MainForm", "FormVersion", 0);
    file.writeInteger("MainForm", "ShowCmd", 1);
    file.writeInteger("MainForm", "Flags", 0);
    file.writeInteger("MainForm", "PixelsPerInch", 96);
    file.writeString("MainForm", "MinMaxPos(1920x1080)", "-1,-1,-1,-1");
    file.writeString("MainForm", "MinMaxPos", "-1,-1,-1,-1");
    file.writeString("MainForm", "NormPos(1920x1080)", "444,205,1069,745");
    file.writeString("MainForm", "NormPos", "444,205,1069,745");
    ASSERT_TRUE(file.save());

    EXPECT_EQ(readFile(path), firstRunFile);
}

TEST(IniFile, ReplacesValuesInPlaceAndAddsNewKeysAtTheEndOfTheirSection) {
    TempDir folder;
    const auto path = folder / "Kelvara.kvs";
    IniFile file = loaded(path, "[MainForm]\r\nFormVersion=0\r\nNormPos=444,205,1069,745\r\nTheme=dark\r\n\r\n"
                                "[Other]\r\nkept=yes\r\n\r\n");

    file.writeString("MainForm", "NormPos", "10,20,635,560");
    file.writeString("MainForm", "NormPos(3840x1080)", "10,20,635,560");
    file.writeString("Added", "first", "1");
    ASSERT_TRUE(file.save());

    EXPECT_EQ(readFile(path), "[MainForm]\r\nFormVersion=0\r\nNormPos=10,20,635,560\r\nTheme=dark\r\n"
                              "NormPos(3840x1080)=10,20,635,560\r\n\r\n"
                              "[Other]\r\nkept=yes\r\n\r\n"
                              "[Added]\r\nfirst=1\r\n\r\n");
}

TEST(IniFile, DropsCommentsBlankLinesAndLinesBeforeTheFirstSectionButKeepsOtherSectionLines) {
    TempDir folder;
    IniFile file = loaded(folder / "Kelvara.kvs", "stray line\r\n"
                                                  "orphan=1\r\n"
                                                  "; comment before\r\n"
                                                  "\r\n"
                                                  "   [  MainForm  ]   \r\n"
                                                  "\t FormVersion =  0 \r\n"
                                                  "; FormVersion=7\r\n"
                                                  "   \r\n"
                                                  "  free text without equals sign  \r\n"
                                                  "Empty=\r\n"
                                                  "= value of an empty key\r\n"
                                                  "[Other]\r\n"
                                                  "Url=a=b\r\n");

    EXPECT_EQ(file.readString("MainForm", "FormVersion"), "0");
    EXPECT_EQ(file.readString("MainForm", "Empty"), "");
    EXPECT_EQ(file.readString("MainForm", ""), "value of an empty key");
    EXPECT_EQ(file.readString("Other", "Url"), "a=b");
    EXPECT_FALSE(file.readString("MainForm", "orphan"));
    EXPECT_FALSE(file.readString("Other", "FormVersion"));
    EXPECT_EQ(file.text(), "[MainForm]\r\n"
                           "FormVersion=0\r\n"
                           "free text without equals sign\r\n"
                           "Empty=\r\n"
                           "=value of an empty key\r\n"
                           "\r\n"
                           "[Other]\r\n"
                           "Url=a=b\r\n"
                           "\r\n");
}

TEST(IniFile, ComparesSectionAndKeyNamesWithoutRegardToCase) {
    TempDir folder;
    IniFile file = loaded(folder / "Kelvara.kvs", "[mainform]\r\nshowcmd=3\r\n\xC4pfel=1\r\n");

    EXPECT_EQ(file.readString("MAINFORM", "ShowCmd"), "3");
    // Code page 1252 byte 0xC4 is "Ä"; the name still matches its lower-case form.
    EXPECT_EQ(file.readString("MainForm", "\xC3\xA4pfel"), "1");

    file.writeInteger("MainForm", "SHOWCMD", 1);
    // The stored spelling of section and key stays.
    EXPECT_EQ(file.text(), "[mainform]\r\nshowcmd=1\r\n\xC3\x84pfel=1\r\n\r\n");
}

TEST(IniFile, SectionNamedTwiceIsReadAsOneSection) {
    TempDir folder;
    IniFile file = loaded(folder / "Kelvara.kvs", "[A]\r\na=1\r\n[B]\r\nb=2\r\n[a]\r\nc=3\r\n");

    EXPECT_EQ(file.readString("A", "c"), "3");
    file.writeString("a", "c", "4");
    EXPECT_EQ(file.text(), "[A]\r\na=1\r\nc=4\r\n\r\n[B]\r\nb=2\r\n\r\n");
}

class IniFileLineEnds : public testing::TestWithParam<std::string> {};

TEST_P(IniFileLineEnds, ReadsLinesEndedByCrLfCrOrLf) {
    TempDir folder;
    const std::string& end = GetParam();
    IniFile file = loaded(folder / "Kelvara.kvs", "[S]" + end + "a=1" + end + end + "b=2" + end + "[T]" + end + "c");

    EXPECT_EQ(file.readString("S", "a"), "1");
    EXPECT_EQ(file.readString("S", "b"), "2");
    EXPECT_EQ(file.text(), "[S]\r\na=1\r\nb=2\r\n\r\n[T]\r\nc\r\n\r\n");
}

INSTANTIATE_TEST_SUITE_P(AllLineEnds, IniFileLineEnds, testing::Values("\r\n", "\n", "\r", "\n\r"));

TEST(IniFile, LineBreaksInWrittenTextCannotAddEntriesOrSections) {
    TempDir folder;
    const auto path = folder / "Kelvara.kvs";
    IniFile file(path);
    file.load();
    file.writeString("MainForm", "Note", "one\r\n[Evil]\nShowCmd=2");
    ASSERT_TRUE(file.save());

    IniFile again(path);
    again.load();
    EXPECT_EQ(again.text().find("\n[Evil]"), std::string::npos);
    EXPECT_FALSE(again.readString("MainForm", "ShowCmd"));
    EXPECT_EQ(again.readString("MainForm", "Note"), "one  [Evil] ShowCmd=2");
}

TEST(IniFile, ReadsIntegersWithEmptyAsZeroAndMalformedOrMissingAsFallback) {
    TempDir folder;
    IniFile file = loaded(folder / "Kelvara.kvs", "[S]\r\nempty=\r\nnegative=-12\r\nbad=12px\r\nhuge=99999999999\r\n");

    EXPECT_EQ(file.readInteger("S", "empty", 5), 0);
    EXPECT_EQ(file.readInteger("S", "negative", 5), -12);
    EXPECT_EQ(file.readInteger("S", "bad", 5), 5);
    EXPECT_EQ(file.readInteger("S", "huge", 5), 5);
    EXPECT_EQ(file.readInteger("S", "missing", 5), 5);
    EXPECT_EQ(file.readInteger("Missing", "empty", 5), 5);
}

TEST(IniFile, LoadingAgainReplacesTheContentInMemory) {
    TempDir folder;
    const auto path = folder / "Kelvara.kvs";
    IniFile file = loaded(path, "[S]\r\na=1\r\n");
    file.writeString("S", "b", "2");
    std::filesystem::remove(path);
    file.load();

    EXPECT_EQ(file.text(), "");
}

} // namespace
} // namespace kelvara
