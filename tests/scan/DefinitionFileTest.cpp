#include "DefinitionFile.h"
#include "ScanFixture.h"
#include "modLockdown.h"

using Lines = std::vector<std::string>;

namespace {

class DefinitionFile : public ScanFixture {
  protected:
    Lines ReadAll(const std::string& path) {
        DefinitionFileReader reader(path);
        Lines lines;
        std::string line;
        while (reader.Next(line))
            lines.push_back(line);
        return lines;
    }
};

TEST_F(DefinitionFile, LinesAreUnscrambledOneByOne) {
    const std::string path = WriteDefinitionFile("a.dat", {"evil.exe=Bad|[windir]|TYPE", "", "x"});
    EXPECT_EQ(ReadAll(path), (Lines{"evil.exe=Bad|[windir]|TYPE", "", "x"}));
    const std::string noEnd = WriteDefinitionFile("b.dat", {"one", "two"}, false);
    EXPECT_EQ(ReadAll(noEnd), (Lines{"one", "two"}));
}

TEST_F(DefinitionFile, ScrambledLineBreakCharactersStayInTheirLine) {
    // 'Ì' (204) and 'É' (201) scramble to CR and LF; only the pair in that order reads as a
    // line end, as the stored format has it.
    const std::string path = WriteDefinitionFile("a.dat", {"Ìa", "bÉ", "aÉÌb"});
    EXPECT_EQ(ReadAll(path), (Lines{"Ìa", "bÉ", "aÉÌb"}));
}

TEST_F(DefinitionFile, MissingEmptyAndOverlongFiles) {
    EXPECT_TRUE(ReadAll(data / "missing.dat").empty());
    EXPECT_FALSE(DefinitionFileReader(data / "missing.dat").IsOpen());
    EXPECT_TRUE(ReadAll(WritePlainFile("empty.dat", "")).empty());

    // A line far longer than any definition is cut; the lines after it survive, including
    // one whose line end is split across the reader's chunks.
    const std::string overlong(200000, '\x41');
    const std::string cut(64 * 1024, '\x01'); // 'A' unscrambled
    std::string content = modLockdown::ScrambleString("first") + "\r\n" + overlong + "\r\n" +
                          modLockdown::ScrambleString("last") + "\r\n";
    EXPECT_EQ(ReadAll(WritePlainFile("long.dat", content)), (Lines{"first", cut, "last"}));
    EXPECT_EQ(
        ReadAll(WritePlainFile("tail.dat", modLockdown::ScrambleString("a") + "\r\n" + overlong)),
        (Lines{"a", cut}));
}

TEST_F(DefinitionFile, PlainTextLinesEndAtALoneCrToo) {
    auto read = [&](const std::string& content) {
        FileLineReader reader(WritePlainFile("plain.txt", content),
                              FileLineReader::LineEnds::CrOrCrLf);
        Lines lines;
        std::string line;
        while (reader.Next(line))
            lines.push_back(line);
        return lines;
    };
    EXPECT_EQ(read("a\rb\r\nc\nd\r"), (Lines{"a", "b", "c\nd"}));
    EXPECT_EQ(read("\r\r\n"), (Lines{"", ""}));
    // A CR LF split across chunks is one line end, not two.
    const std::string first(64 * 1024 - 1, 'x');
    EXPECT_EQ(read(first + "\r\nnext"), (Lines{first, "next"}));
}

TEST_F(DefinitionFile, LineEndsAcrossChunkBoundaries) {
    Lines lines;
    for (int i = 0; i < 20000; ++i)
        lines.push_back("file" + std::to_string(i) + ".exe=Threat " + std::to_string(i));
    const Lines read = ReadAll(WriteDefinitionFile("big.dat", lines));
    ASSERT_EQ(read.size(), lines.size());
    EXPECT_EQ(read, lines);
}

TEST_F(DefinitionFile, StampsChangeWithTheFile) {
    const std::string path = WriteDefinitionFile("a.dat", {"one"});
    const FileStamp first = StampOf(path);
    EXPECT_TRUE(first.exists);
    WriteDefinitionFile("a.dat", {"one", "two"});
    EXPECT_NE(StampOf(path), first);
    EXPECT_FALSE(StampOf(data / "missing.dat").exists);
}

} // namespace
