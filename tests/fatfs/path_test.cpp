// Paths and names: level checking, 8.3 search names, patterns and enumeration, the found
// name written back, and long names read back.
#include "engine_fixture.h"
#include "fatfs/long_name.h"
#include "fatfs/path_name.h"

namespace {

std::string SearchName(const std::string& level) {
    uint8_t name[11];
    MakeSearchName(level.data(), level.size(), name);
    return std::string(reinterpret_cast<char*>(name), 11);
}

TEST(PathNameTest, LevelsAreCountedAndCheckedPerSeparator) {
    PathLevels levels;
    ASSERT_EQ(SplitPath("\\", &levels), FS_OK);
    EXPECT_EQ(levels.count, 0);
    EXPECT_TRUE(levels.absolute);
    ASSERT_EQ(SplitPath("\\A\\B.TXT", &levels), FS_OK);
    EXPECT_EQ(levels.count, 2);
    EXPECT_EQ(levels.start[1], 3);
    EXPECT_EQ(levels.length[1], 5);
    ASSERT_EQ(SplitPath("/A/", &levels), FS_OK);  // trailing separator: the same directory
    EXPECT_EQ(levels.count, 1);
    ASSERT_EQ(SplitPath("\\A\\..", &levels), FS_OK);  // a last name of dots adds no level
    EXPECT_EQ(levels.count, 1);
    ASSERT_EQ(SplitPath("A\\B", &levels), FS_OK);
    EXPECT_FALSE(levels.absolute);
    EXPECT_EQ(levels.count, 2);
    ASSERT_EQ(SplitPath("\\ABCDEFGH.IJK\\A", &levels), FS_OK);  // dots do not count towards 11

    EXPECT_EQ(SplitPath("\\\\A", &levels), FS_BAD_NAME);
    EXPECT_EQ(SplitPath("\\A\\\\B", &levels), FS_BAD_NAME);
    EXPECT_EQ(SplitPath("\\..\\A", &levels), FS_BAD_NAME);
    EXPECT_EQ(SplitPath("\\ABCDEFGHIJKL", &levels), FS_BAD_NAME);
    EXPECT_EQ(SplitPath("\\ABCDEFGHIJKL\\A", &levels), FS_BAD_NAME);
    EXPECT_EQ(SplitPath("", &levels), FS_BAD_NAME);
}

TEST(PathNameTest, PathMustEndWithin255Bytes) {
    PathLevels levels;
    std::string path;
    while (path.size() < 254)
        path += "\\ABCDEFGH";
    path.resize(254);
    EXPECT_EQ(SplitPath(path.c_str(), &levels), FS_OK);
    path += "X";
    EXPECT_EQ(SplitPath(path.c_str(), &levels), FS_BAD_NAME);
}

TEST(PathNameTest, LevelsBecomeBlankPaddedSearchNames) {
    EXPECT_EQ(SearchName("README.TXT"), "README  TXT");
    EXPECT_EQ(SearchName("ABCDEFGHIJK"), "ABCDEFGHIJK");
    EXPECT_EQ(SearchName("A"), "A          ");
    EXPECT_EQ(SearchName("D.X"), "D       X  ");
    EXPECT_EQ(SearchName("A.TOOLONG"), "A       TOO");
    EXPECT_EQ(SearchName(".TXT"), "        TXT");
    EXPECT_EQ(SearchName("ABCDEFGHIJ.X"), "ABCDEFGHXJ ");  // a long base runs into the extension
    EXPECT_EQ(SearchName("lower.c"), "lower   c  ");       // characters as they stand
}

TEST(PathNameTest, PatternsMatchPrefixOrExtension) {
    auto matches = [](const std::string& pattern, const std::string& name) {
        uint8_t p[11], n[11];
        MakeSearchName(pattern.data(), pattern.size(), p);
        MakeSearchName(name.data(), name.size(), n);
        return MatchesPattern(p, n);
    };
    EXPECT_TRUE(matches("*", "ANY.BIN"));
    EXPECT_TRUE(matches("*", "NOEXT"));
    EXPECT_TRUE(matches("*.TXT", "A.TXT"));
    EXPECT_FALSE(matches("*.TXT", "A.BIN"));
    EXPECT_TRUE(matches("AB*", "ABC.D"));
    EXPECT_FALSE(matches("AB*", "AC.D"));
    EXPECT_TRUE(matches("A.T*", "A.TXT"));
    EXPECT_FALSE(matches("A.T*", "AB.TXT"));
}

TEST(PathNameTest, ShortNameTextDropsPaddingOnly) {
    char text[13];
    EXPECT_EQ(ShortNameText(reinterpret_cast<const uint8_t*>("README  TXT"), text), 10u);
    EXPECT_STREQ(text, "README.TXT");
    ShortNameText(reinterpret_cast<const uint8_t*>("NOEXT      "), text);
    EXPECT_STREQ(text, "NOEXT");
    ShortNameText(reinterpret_cast<const uint8_t*>("..         "), text);
    EXPECT_STREQ(text, "..");
    ShortNameText(reinterpret_cast<const uint8_t*>("MY FILE TX "), text);
    EXPECT_STREQ(text, "MY FILE.TX");
}

TEST(LongNameRuleTest, LongEntriesOnlyForNamesWithALateDotOrLongWithoutOne) {
    auto wants = [](const std::u16string& n) { return WantsLongName(n.c_str(), n.size()); };
    EXPECT_FALSE(wants(u"ABCD.TXT"));
    EXPECT_TRUE(wants(u"ABCDE.TXT"));
    EXPECT_TRUE(wants(u"Program Files"));
    EXPECT_FALSE(wants(u"ab.verylongname"));
    EXPECT_FALSE(wants(u"ABCD"));
    EXPECT_TRUE(wants(u"ABCDE"));
    EXPECT_TRUE(wants(u".hidden"));  // a dot at index 0 is not looked at
    EXPECT_EQ(LongEntryCount(13), 1);
    EXPECT_EQ(LongEntryCount(14), 2);
    EXPECT_EQ(LongEntryCount(255), 20);
}

class PathTest : public EngineTest {};

TEST_F(PathTest, LevelsResolveThroughDirectories) {
    Format(Floppy::k144);
    ASSERT_EQ(MakeDir("\\D.X"), FS_OK);
    ASSERT_EQ(WriteFile("\\D.X\\FILE.TXT", "inside"), FS_OK);
    ASSERT_EQ(WriteFile("\\ABCDEFGHIJK", "eleven"), FS_OK);
    std::string back;
    ASSERT_EQ(ReadFile("/D.X/FILE.TXT", &back), FS_OK);
    EXPECT_EQ(back, "inside");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(RootEntry(image(), layout, 1)), 11), "ABCDEFGHIJK");
    ASSERT_EQ(ReadFile("\\ABCDEFGH.IJK", &back), FS_OK);  // the same search name
    EXPECT_EQ(back, "eleven");
    EXPECT_EQ(engine.fsOpen("\\D.X\\", nullptr), FS_IS_DIRECTORY);
    EXPECT_EQ(engine.fsOpen("\\D.X", nullptr), FS_IS_DIRECTORY);
    EXPECT_EQ(engine.openFile().entrySector, layout.rootStart);
    EXPECT_EQ(engine.openFile().entryIndex, 0);
}

TEST_F(PathTest, MissingLevelsAndBadNamesAreTold) {
    Format(Floppy::k144);
    ASSERT_EQ(MakeDir("\\DIR"), FS_OK);
    ASSERT_EQ(WriteFile("\\FILE.TXT", "f"), FS_OK);
    EXPECT_EQ(engine.fsOpen("\\NONE.TXT", nullptr), FS_NOT_FOUND);
    EXPECT_EQ(engine.fsOpen("\\NODIR\\FILE.TXT", nullptr), FS_PATH_NOT_FOUND);
    EXPECT_EQ(engine.fsOpen("\\DIR\\NONE", nullptr), FS_NOT_FOUND);
    // A file is never walked as a directory.
    EXPECT_EQ(engine.fsOpen("\\FILE.TXT\\X", nullptr), FS_PATH_NOT_FOUND);
    EXPECT_EQ(engine.fsOpen("\\\\DIR", nullptr), FS_BAD_NAME);
    EXPECT_EQ(engine.fsOpen("\\ABCDEFGHIJKL", nullptr), FS_BAD_NAME);
    EXPECT_EQ(engine.fsOpen("\\DIR*\\FILE", nullptr), FS_BAD_NAME);
    EXPECT_EQ(engine.fsCreate("\\NEW*.TXT", 0), FS_BAD_NAME);
    EXPECT_EQ(engine.fsCreate("\\NODIR\\NEW.TXT", 0), FS_PATH_NOT_FOUND);
    EXPECT_EQ(engine.fsOpen(nullptr, nullptr), FS_BAD_NAME);
}

TEST_F(PathTest, RelativePathsStartAtTheLastDirectoryOpened) {
    Format(Floppy::k144);
    ASSERT_EQ(MakeDir("\\OUTER"), FS_OK);
    ASSERT_EQ(WriteFile("\\OUTER\\IN.TXT", "in"), FS_OK);
    ASSERT_EQ(WriteFile("\\IN.TXT", "root"), FS_OK);
    ASSERT_EQ(engine.fsOpen("\\OUTER", nullptr), FS_IS_DIRECTORY);
    std::string back;
    ASSERT_EQ(ReadFile("IN.TXT", &back), FS_OK);
    EXPECT_EQ(back, "in");
    ASSERT_EQ(engine.fsOpen("\\", nullptr), FS_IS_DIRECTORY);
    ASSERT_EQ(ReadFile("IN.TXT", &back), FS_OK);
    EXPECT_EQ(back, "root");
}

TEST_F(PathTest, EnumerationReturnsEveryRootEntryInOrderThenNotFound) {
    Format(Floppy::k144, "FLPPY3");
    ASSERT_EQ(WriteFile("\\A.TXT", "a"), FS_OK);
    ASSERT_EQ(MakeDir("\\SUB"), FS_OK);
    ASSERT_EQ(WriteFile("\\B", "bb"), FS_OK);
    std::vector<ListedEntry> listed = List("\\*", u"\\*");
    ASSERT_EQ(listed.size(), 4u);
    EXPECT_EQ(listed[0].shortPath, "\\FLPPY3");
    EXPECT_EQ(listed[0].attribute, 0x08);
    EXPECT_EQ(listed[1].shortPath, "\\A.TXT");
    EXPECT_EQ(listed[1].longPath, u"\\A.TXT");
    EXPECT_EQ(listed[1].size, 1u);
    EXPECT_EQ(listed[2].shortPath, "\\SUB");
    EXPECT_EQ(listed[2].attribute, 0x10);
    EXPECT_EQ(listed[3].shortPath, "\\B");
    EXPECT_EQ(listed[3].size, 2u);
}

TEST_F(PathTest, PatternsSelectByPrefixOrExtension) {
    Format(Floppy::k144);
    for (const char* name : {"\\ONE.TXT", "\\TWO.BIN", "\\THREE.TXT", "\\TEN"})
        ASSERT_EQ(WriteFile(name, ""), FS_OK);
    std::vector<ListedEntry> txt = List("\\*.TXT", u"\\*.TXT");
    ASSERT_EQ(txt.size(), 2u);
    EXPECT_EQ(txt[1].shortPath, "\\THREE.TXT");
    std::vector<ListedEntry> t = List("\\T*", u"\\T*");
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[2].shortPath, "\\TEN");
}

TEST_F(PathTest, SubdirectoryEnumerationIncludesDotEntriesAndWritesNamesAfterTheSeparator) {
    Format(Floppy::k144);
    ASSERT_EQ(MakeDir("\\DATA", u""), FS_OK);
    ASSERT_EQ(WriteFile("\\DATA\\REPORT~1.DOC", "r", u"Report for March.doc"), FS_OK);
    std::vector<ListedEntry> listed = List("\\DATA\\*", u"\\My Data\\*");
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[0].shortPath, "\\DATA\\.");
    EXPECT_EQ(listed[1].shortPath, "\\DATA\\..");
    EXPECT_EQ(listed[0].attribute, 0x10);
    EXPECT_EQ(listed[2].shortPath, "\\DATA\\REPORT~1.DOC");
    EXPECT_EQ(listed[2].longPath, u"\\My Data\\Report for March.doc");
}

TEST_F(PathTest, FoundNameThatDoesNotFitThePathIsAnOverflow) {
    Format(Floppy::k144);
    std::string dir, path;
    // Nest directories until the path is 246 characters long.
    for (int i = 0; path.size() + 9 <= 246; ++i) {
        path += "\\D" + std::string(7, static_cast<char>('A' + i % 26));
        ASSERT_EQ(MakeDir(path), FS_OK) << path;
    }
    ASSERT_EQ(path.size(), 243u);
    // Too long to create by full path: created relative to the deepest directory.
    ASSERT_EQ(engine.fsOpen(path.c_str(), nullptr), FS_IS_DIRECTORY);
    ASSERT_EQ(WriteFile("ABCDEFGH.TXT", ""), FS_OK);
    ASSERT_EQ(WriteFile("AB", ""), FS_OK);
    engine.SetEnumerationIndex(2);
    EXPECT_EQ(engine.fsOpen((path + "\\*").c_str(), nullptr), FS_PATH_OVERFLOW);  // 244 + 12 > 254
    engine.SetEnumerationIndex(3);
    EXPECT_EQ(engine.fsOpen((path + "\\*").c_str(), nullptr), FS_OK);
    EXPECT_EQ(std::string(engine.commandPath()), path + "\\AB");
}

TEST_F(PathTest, ALongNameOfTheMaximumLengthReadsBackWhole) {
    Format(Floppy::k144);
    std::u16string longest;
    for (int i = 0; i < 255; ++i)
        longest.push_back(static_cast<char16_t>(i % 5 == 4 ? u' ' : u'a' + i % 26));
    ASSERT_EQ(MakeDir("\\DIRECT~1", u"Directory"), FS_OK);
    ASSERT_EQ(WriteFile("\\DIRECT~1\\LONGES~1", "", longest), FS_OK);
    std::vector<ListedEntry> listed = List("\\DIRECT~1\\*", u"\\Directory\\*");
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[2].longPath, u"\\Directory\\" + longest);
}

// A tilde name whose preceding entries are not its set: README.TXT has no tilde, so its
// preceding long-name entries are never read; a broken set gives the short name alone.
TEST_F(PathTest, LongNamesAreTakenOnlyFromCompleteMatchingSets) {
    Format(Floppy::k144);
    uint8_t* root = RootEntry(image(), layout, 0);
    const char readme[] = "README  TXT";
    const char broken[] = "BROKEN~1TXT";
    const char other[] = "OTHER~1 TXT";
    PutLongPiece(root + 0 * 32, 0x41, u"readme.txt", Checksum(readme));
    PutEntry(root + 1 * 32, readme, 0x20, 0, 0);
    // Pieces 2 (last) and 1 in order, but piece 1 is missing: order 2 comes first backwards.
    PutLongPiece(root + 2 * 32, 0x42, u"tail", Checksum(broken));
    PutEntry(root + 3 * 32, broken, 0x20, 0, 0);
    // A complete set, but made for a different short name.
    PutLongPiece(root + 4 * 32, 0x41, u"Stale name", Checksum(broken));
    PutEntry(root + 5 * 32, other, 0x20, 0, 0);
    ASSERT_EQ(engine.fsMount(), FS_OK);
    std::vector<ListedEntry> listed = List("\\*", u"\\*");
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[0].longPath, u"\\README.TXT");
    EXPECT_EQ(listed[1].longPath, u"\\BROKEN~1.TXT");
    EXPECT_EQ(listed[2].longPath, u"\\OTHER~1.TXT");
}

TEST_F(PathTest, ASetBrokenAfterItsFirstPieceLeavesNoStrayCharacters) {
    Format(Floppy::k144);
    uint8_t* root = RootEntry(image(), layout, 0);
    const char name[] = "PARTIA~1TXT";
    PutEntry(root, "OTHER   TXT", 0x20, 0, 0);
    PutLongPiece(root + 32, 0x03, u"never", Checksum(name));  // should be 0x42
    PutLongPiece(root + 64, 0x01, u"Partial long ", Checksum(name));
    PutEntry(root + 96, name, 0x20, 0, 0);
    ASSERT_EQ(engine.fsMount(), FS_OK);
    std::vector<ListedEntry> listed = List("\\*", u"\\*");
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[1].longPath, u"\\PARTIA~1.TXT");
}

TEST_F(PathTest, ANameStartingWithE5IsStoredAs05AndFoundAgain) {
    Format(Floppy::k144);
    const std::string name =
        "\\\xE5"
        "BC.TXT";
    ASSERT_EQ(WriteFile(name, "e5"), FS_OK);
    EXPECT_EQ(RootEntry(image(), layout, 0)[0], 0x05);
    std::string back;
    ASSERT_EQ(ReadFile(name, &back), FS_OK);
    EXPECT_EQ(back, "e5");
    std::vector<ListedEntry> listed = List("\\*", u"\\*");
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].shortPath, name);
    EXPECT_EQ(listed[0].longPath, u"\\\u00E5BC.TXT");
    ASSERT_EQ(WriteFile("\\NEXT.TXT", "n"), FS_OK);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(RootEntry(image(), layout, 1)), 4), "NEXT");
}

TEST_F(PathTest, EraseTakesTheLongNamePiecesWithTheEntry) {
    Format(Floppy::k144);
    ASSERT_EQ(WriteFile("\\FIRSTF~1.TXT", "1", u"First file name.txt"), FS_OK);
    ASSERT_EQ(WriteFile("\\SECOND~1.TXT", "2", u"Second file name.txt"), FS_OK);
    ASSERT_EQ(engine.fsErase("\\SECOND~1.TXT"), FS_OK);
    for (int i = 3; i < 6; ++i)
        EXPECT_EQ(RootEntry(image(), layout, i)[0], 0xE5) << i;
    EXPECT_EQ(RootEntry(image(), layout, 0)[0], 0x42);  // the other set is untouched
    std::vector<ListedEntry> listed = List("\\*", u"\\*");
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].longPath, u"\\First file name.txt");
}

}  // namespace
