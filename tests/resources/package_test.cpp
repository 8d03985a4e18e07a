#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "res_fixtures.h"
#include "resources/file_lookup.h"
#include "resources/game_file.h"
#include "resources/package.h"
#include "support/test_support.h"

namespace tarvex {
namespace {

using test::BuildPackage;
using test::Bytes;
using test::CurrentDir;
using test::FixtureEntry;
using test::WriteBytes;

// The bytes of a packaged entry through the stream, "(none)" when it is not found.
std::string Packed(const std::string& name) {
    uint32_t size = 0;
    FILE* f = OpenPackedFile(name.c_str(), size);
    if (!f) return "(none)";
    std::string s(size, '\0');
    s.resize(std::fread(s.data(), 1, size, f));
    std::fclose(f);
    return s;
}

TEST(Package, LookupRulesOverStreamAndDescriptor) {
    std::string dir = test::TempDir("package_lookup");
    CurrentDir here(dir);
    WriteBytes("texts.res", BuildPackage({
                                {"texts/dialog", Bytes("prefix")},          // a prefix of the next name
                                {"texts/Dialog.txt", Bytes("first")},       // differs in case only
                                {"texts/dialog.txt", Bytes("duplicate")},   // never seen
                                {"texts/other.txt", Bytes("other")},
                            }));
    EXPECT_EQ(Packed("texts/DIALOG.TXT"), "first");
    uint32_t size = 0;
    int fd = OpenPackedFileFd("texts/dialog.txt", size);
    ASSERT_GE(fd, 0);
    std::string s(size, '\0');
    ASSERT_EQ(read(fd, s.data(), size), static_cast<ssize_t>(size));
    EXPECT_EQ(s, "first");
    close(fd);

    // The name without its extension is an entry too; the longer name must not hit it and vice versa.
    EXPECT_EQ(Packed("texts/dialog"), "prefix");
    EXPECT_EQ(Packed("texts/dialog.tx"), "(none)");
    EXPECT_EQ(OpenPackedFileFd("texts/dialog.txtx", size), -1);

    // FindPackageEntry reads from the stream's position: a fresh package.
    FILE* package = std::fopen("texts.res", "rb");
    uint32_t offset = 0;
    ASSERT_TRUE(FindPackageEntry(package, "texts/other.txt", offset, size));
    EXPECT_EQ(size, 5u);
    EXPECT_FALSE(FindPackageEntry(package, "texts/other.txt", offset, size));  // at the directory's end now
    std::fclose(package);
}

TEST(Package, RefusesBrokenDirectoriesAndPaths) {
    std::string dir = test::TempDir("package_broken");
    CurrentDir here(dir);
    uint32_t size = 0;
    EXPECT_EQ(OpenPackedFile("nopath", size), nullptr);          // no "/": no package
    EXPECT_EQ(OpenPackedFileFd("data/x.txt", size), -1);         // no package file
    WriteBytes("data.res", BuildPackage({}));
    EXPECT_EQ(OpenPackedFile("data/x.txt", size), nullptr);      // count 0
    EXPECT_EQ(OpenPackedFileFd("data/x.txt", size), -1);

    // Count larger than the directory present: entries that exist are found, the rest not.
    std::vector<uint8_t> cut = BuildPackage({{"gfx/a.bin", Bytes("A")}}, 1000);
    WriteBytes("gfx.res", cut);
    EXPECT_EQ(std::tuple(Packed("gfx/a.bin"), Packed("gfx/b.bin")), std::tuple(std::string("A"), std::string("(none)")));

    // Data past the end of the package file are refused, not read short.
    FixtureEntry bad{"sound/x.wav", Bytes("xyz")};
    bad.sizeOverride = 0x7fffffff;
    FixtureEntry wrap{"sound/y.wav", Bytes("xyz")};
    wrap.offsetOverride = 0xfffffff0u;
    wrap.sizeOverride = 0x20;
    WriteBytes("sound.res", BuildPackage({bad, wrap}));
    EXPECT_EQ(OpenPackedFile("sound/x.wav", size), nullptr);
    EXPECT_EQ(OpenPackedFileFd("sound/y.wav", size), -1);

    // A name that fills all 128 bytes without its NUL cannot match a 128-character path.
    std::string longName(128, 'a');
    longName.replace(0, 7, "models/");
    WriteBytes("models.res", BuildPackage({{longName, Bytes("x")}}));
    EXPECT_EQ(OpenPackedFile(longName.c_str(), size), nullptr);
}

TEST(GameFile, LooseFirstCaseAndSeparators) {
    std::string dir = test::TempDir("game_file");
    CurrentDir here(dir);
    WriteBytes("TEXTS.RES", BuildPackage({{"texts/a.txt", Bytes("packaged a")}, {"texts/b.txt", Bytes("packaged b")}}));
    WriteBytes("Texts/A.TXT", Bytes("loose a"));
    ClearFileLookupCache();

    std::vector<uint8_t> out;
    GameFileSource source;
    ASSERT_TRUE(ReadGameFile("texts/a.txt", out, 0, &source));  // loose shadows packaged
    EXPECT_EQ(std::tuple(std::string(out.begin(), out.end()), source), std::tuple(std::string("loose a"), GameFileSource::Loose));
    ASSERT_TRUE(ReadGameFile("texts\\B.txt", out, 0, &source));  // package found whatever its case
    EXPECT_EQ(std::tuple(std::string(out.begin(), out.end()), source), std::tuple(std::string("packaged b"), GameFileSource::Package));
    EXPECT_EQ(LocateGameFile("TEXTS\\a.Txt"), GameFileSource::Loose);
    EXPECT_EQ(LocateGameFile("texts/c.txt"), GameFileSource::Missing);
    EXPECT_FALSE(ReadGameFile("texts/c.txt", out));
    EXPECT_TRUE(out.empty());

    // A file that appears after its folder was listed is found (a miss re-lists).
    WriteBytes("Texts/C.Txt", Bytes("late"));
    EXPECT_EQ(LocateGameFile("texts/c.txt"), GameFileSource::Loose);
    // A read limit cuts loose files and packaged entries alike; a whole read refuses both.
    ASSERT_TRUE(ReadGameFile("texts/c.txt", out, 2));
    EXPECT_EQ(out.size(), 2u);
    ASSERT_TRUE(ReadGameFile("texts/b.txt", out, 2));
    EXPECT_EQ(std::string(out.begin(), out.end()), "pa");
    EXPECT_EQ(ReadWholeGameFile("texts/b.txt", out, 9), GameFileRead::TooLarge);
    EXPECT_EQ(ReadWholeGameFile("texts/c.txt", out, 3), GameFileRead::TooLarge);
    EXPECT_EQ(ReadWholeGameFile("texts/b.txt", out, 10), GameFileRead::Read);
    EXPECT_EQ(out.size(), 10u);
}

}  // namespace
}  // namespace tarvex
