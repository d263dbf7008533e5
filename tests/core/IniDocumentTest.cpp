#include <gtest/gtest.h>

#include "settings/IniDocument.h"

using tessarin::settings::IniDocument;
using tessarin::settings::parseProfileInteger;

TEST(IniDocument, NamesMatchWithoutRegardToCaseAndMissingPartsReadAsNothing)
{
    const IniDocument doc("[Settings]\nDeleteOldFile=1\n  sYnCsUbFoLdEr = 0  \n[dirs1]\n1=/home/a\n");
    EXPECT_EQ(doc.value("settings", "deleteoldfile"), "1");
    EXPECT_EQ(doc.value("SETTINGS", "SyncSubFolder"), "0");
    EXPECT_EQ(doc.value("Dirs1", "1"), "/home/a");
    EXPECT_EQ(doc.value("Dirs1", "2"), std::nullopt);
    EXPECT_EQ(doc.value("Dirs2", "1"), std::nullopt);
    EXPECT_EQ(IniDocument().value("Settings", "DeleteOldFile"), std::nullopt);
}

TEST(IniDocument, KeysBelongOnlyToTheirOwnSectionAndCommentsAreNoKeys)
{
    const IniDocument doc("1=before any section\n[A]\n;2=comment\n#3=comment\nnoequals\n[B]\n1=b\n[A]\n1=second A\n");
    EXPECT_EQ(doc.value("A", "1"), std::nullopt) << "the first section of a name is the one read";
    EXPECT_EQ(doc.value("A", ";2"), std::nullopt);
    EXPECT_EQ(doc.value("A", "#3"), std::nullopt);
    EXPECT_EQ(doc.value("B", "1"), "b");
}

TEST(IniDocument, WritingReplacesTheLineInPlaceAndKeepsEveryOtherLine)
{
    const std::string before = "; my settings\r\n[Settings]\r\nUnknown = keep me\r\nDELETEOLDFILE = 0\r\n"
                               "SyncSubFolder=1\r\n\r\n[Other]\r\nx=y\r\n";
    IniDocument doc(before);
    doc.setValue("settings", "DeleteOldFile", "1");
    EXPECT_EQ(doc.text(), "; my settings\r\n[Settings]\r\nUnknown = keep me\r\nDELETEOLDFILE=1\r\n"
                          "SyncSubFolder=1\r\n\r\n[Other]\r\nx=y\r\n");
}

TEST(IniDocument, NewKeysGoToTheEndOfTheirSectionAndNewSectionsToTheEndOfTheText)
{
    IniDocument doc("[Settings]\nDeleteOldFile=0\n\n[Other]\nx=y");
    doc.setValue("Settings", "SyncSubFolder", "1");
    doc.setValue("Dirs1", "1", "/data");
    doc.setValue("Other", "z", "w");
    EXPECT_EQ(doc.text(), "[Settings]\nDeleteOldFile=0\nSyncSubFolder=1\n\n[Other]\nx=y\nz=w\n\n[Dirs1]\n1=/data\n");

    IniDocument empty;
    empty.setValue("Settings", "DeleteOldFile", "0");
    EXPECT_EQ(empty.text(), "[Settings]\nDeleteOldFile=0\n");
}

TEST(IniDocument, RemovingAKeyTakesOnlyItsLine)
{
    IniDocument doc("[Dirs1]\n1=/a\n7=/old\n[Dirs2]\n7=/keep\n");
    EXPECT_TRUE(doc.removeKey("dirs1", "7"));
    EXPECT_FALSE(doc.removeKey("Dirs1", "7"));
    EXPECT_FALSE(doc.removeKey("Dirs3", "1"));
    EXPECT_EQ(doc.text(), "[Dirs1]\n1=/a\n[Dirs2]\n7=/keep\n");
}

TEST(IniDocument, ValuesAreReadUpTo2047Bytes)
{
    const std::string exact(2047, 'a');
    const std::string longer = std::string(2047, 'b') + "cut";
    IniDocument doc;
    doc.setValue("S", "exact", exact);
    doc.setValue("S", "longer", longer);
    EXPECT_EQ(doc.value("S", "exact"), exact);
    EXPECT_EQ(doc.value("S", "longer"), std::string(2047, 'b'));
}

TEST(IniDocument, ValuesComeBackByteForByteEvenWithSpacesOrQuotesAtTheEnds)
{
    const std::vector<std::string> values = {" /lead",  "/trail ", "\"/quoted\"", "'/single'",
                                             "\"/half", "",        "/目录 一",    "caf\xe9\xff"};
    IniDocument doc;
    for (std::size_t i = 0; i < values.size(); ++i)
        doc.setValue("S", std::to_string(i), values[i]);
    const IniDocument reread(doc.text());
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(reread.value("S", std::to_string(i)), values[i]) << i;
    EXPECT_EQ(IniDocument("[S]\nk=\"/hand written\"\n").value("S", "k"), "/hand written");
    EXPECT_FALSE(IniDocument::isStorable("/a\n[Settings]"));
    EXPECT_THROW(doc.setValue("S", "k", "/a\r\nb"), std::invalid_argument);
}

TEST(IniDocument, AByteOrderMarkDoesNotHideTheFirstSection)
{
    IniDocument doc("\xEF\xBB\xBF[Settings]\nDeleteOldFile=1\n");
    EXPECT_EQ(doc.value("Settings", "DeleteOldFile"), "1");
    doc.setValue("Settings", "DeleteOldFile", "0");
    EXPECT_EQ(doc.text(), "\xEF\xBB\xBF[Settings]\nDeleteOldFile=0\n");
}

TEST(ProfileInteger, DecimalOrHexadecimalWithinThirtyTwoBits)
{
    EXPECT_EQ(parseProfileInteger("0"), 0);
    EXPECT_EQ(parseProfileInteger("2"), 2);
    EXPECT_EQ(parseProfileInteger("-7"), -7);
    EXPECT_EQ(parseProfileInteger("0x0"), 0);
    EXPECT_EQ(parseProfileInteger("0X1f"), 31);
    EXPECT_EQ(parseProfileInteger("$10"), 16);
    EXPECT_EQ(parseProfileInteger("2147483647"), 2147483647);
    EXPECT_EQ(parseProfileInteger("0xFFFFFFFF"), 0xFFFFFFFFLL);
    for (const char* text : {"", "yes", "true", "1.0", "1 ", "0x", "$", "-", "12a", "2147483648", "0x100000000"})
        EXPECT_EQ(parseProfileInteger(text), std::nullopt) << text;
}
