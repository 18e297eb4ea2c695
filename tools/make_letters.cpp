// Writes the game's table of letters (src/assets/LetterTable.cpp) from the bitmap letters GLUT
// draws: each letter of the game's three fonts read back from a window, as the pixels it lights.
// Usage: tools/on_xvfb.sh make_letters FILE. The output is deterministic; the table is committed.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "LetterReadback.h"

namespace {

std::string outputPath;

struct FontRow {
    void* glutFont;
    const char* comment;
};

// The C++ literal of a letter's code.
std::string codeLiteral(int code)
{
    if (code == '\'' || code == '\\')
        return std::string("'\\") + static_cast<char>(code) + "'";
    return std::string("'") + static_cast<char>(code) + "'";
}

std::string tableText(const FontRow (&fonts)[3], bool& complete)
{
    std::string text =
        "// The letters of the game's three fonts, from GLUT's bitmap letters. Written by\n"
        "// tools/make_letters.cpp: run it again rather than editing here.\n"
        "#include \"assets/LetterTable.h\"\n"
        "\n"
        "// clang-format off\n"
        "const LetterShape kLetterTable[kTextFonts][kLettersPerFont] = {\n";
    complete = true;
    for (const FontRow& font : fonts) {
        const std::vector<letters::ReadLetter> read = letters::readLetters(font.glutFont);
        if (read.size() != static_cast<size_t>(kLettersPerFont)) {
            complete = false;
            return text;
        }
        text += std::string("    {  // ") + font.comment + "\n";
        for (int i = 0; i < kLettersPerFont; ++i) {
            const letters::ReadLetter& letter = read[i];
            text += "        {" + codeLiteral(kFirstLetter + i) + ", " +
                    std::to_string(letter.advance) + ", " + std::to_string(letter.left) + ", " +
                    std::to_string(letter.bottom) + ", " + std::to_string(letter.width) + ", " +
                    std::to_string(letter.height) + ",";
            if (letter.rows.empty())
                text += " \"\"";
            for (const std::string& row : letter.rows)
                text += "\n            \"" + row + "\"";
            text += "},\n";
        }
        text += "    },\n";
    }
    text += "};\n// clang-format on\n";
    return text;
}

void writeTable()
{
    const FontRow fonts[3] = {
        {GLUT_BITMAP_9_BY_15, "TextFont::Fixed9x15"},
        {GLUT_BITMAP_TIMES_ROMAN_10, "TextFont::Serif10"},
        {GLUT_BITMAP_TIMES_ROMAN_24, "TextFont::Serif24"},
    };
    bool complete = false;
    const std::string text = tableText(fonts, complete);
    if (!complete) {
        std::fprintf(stderr, "make_letters: the window is too small to read the letters from\n");
        std::exit(1);
    }
    FILE* file = std::fopen(outputPath.c_str(), "w");
    if (!file || std::fwrite(text.data(), 1, text.size(), file) != text.size() ||
        std::fclose(file) != 0) {
        std::fprintf(stderr, "make_letters: cannot write %s\n", outputPath.c_str());
        std::exit(1);
    }
    std::exit(0);
}

}  // namespace

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tools/on_xvfb.sh make_letters FILE\n");
        return 2;
    }
    outputPath = argv[1];
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGB);
    glutInitWindowSize(1024, 768);
    glutInitWindowPosition(0, 0);
    glutCreateWindow("TARVELO! letters");
    glutDisplayFunc(writeTable);
    glutMainLoop();
}
