// What the player reads agrees with the game's own tables, with no window: the README, the
// manual page and --help name each action's keys and pad inputs as the settings' defaults bind
// them, the settings' sections name every setting of the controls, the format of recorded drives
// gives each action the code the game records, and the documents list the pictures in the order
// the game reads them and give the version the game says it is.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "assets/Textures.h"
#include "drives/ReplayFile.h"
#include "input/Settings.h"
#include "shell/Options.h"

namespace {

std::string fileText(const std::string& path)
{
    std::ifstream file(std::string(TARVELO_SOURCE_DIR) + "/" + path);
    EXPECT_TRUE(file) << path;
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// What the game prints for one option, as the player sees it.
std::string printedFor(std::string option)
{
    char program[] = "tarvelo";
    char* argv[] = {program, option.data(), nullptr};
    Options options;
    testing::internal::CaptureStdout();
    parseOptions(2, argv, options);
    return testing::internal::GetCapturedStdout();
}

// The text after `from` up to `to`, "" where either is missing.
std::string between(const std::string& text, const std::string& from, const std::string& to)
{
    const size_t start = text.find(from);
    if (start == std::string::npos)
        return "";
    const size_t end = text.find(to, start + from.size());
    return end == std::string::npos ? ""
                                    : text.substr(start + from.size(), end - start - from.size());
}

void replaceAll(std::string& text, const std::string& what, const std::string& with)
{
    for (size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

// The words of a document's text, one space apart and one around: its markup (Markdown's quotes
// and table bars, roff's escapes, macros and quotes) and its punctuation left out.
std::string wordsOf(std::string text)
{
    replaceAll(text, "\\-", "-");
    std::istringstream lines(text);
    std::string words = " ";
    for (std::string line; std::getline(lines, line);) {
        if (line.size() > 1 && line[0] == '.')
            line.erase(0, std::min(line.find(' '), line.size()));  // a macro's name
        for (char& c : line) {
            if (std::string("`\"|,;:()").find(c) != std::string::npos)
                c = ' ';
        }
        std::istringstream split(line);
        for (std::string word; split >> word;) {
            if (word.back() == '.')  // a sentence's end, not a file's or a version's dot
                word.pop_back();
            if (!word.empty())
                words += word + " ";
        }
    }
    return words;
}

// One place where a document names the keys or the pad inputs of some actions: the text that
// names them, and the text that says what they do.
struct Entry {
    std::string bound, does;
};
enum class Format { Markdown, Roff, Prose };

// A section's entries: the rows of a Markdown table (the first cell names the keys), the tagged
// paragraphs of a manual page (the tag names them), or the clauses of the help's paragraph (each
// names its own).
std::vector<Entry> entriesOf(const std::string& section, Format format)
{
    std::vector<Entry> entries;
    if (format == Format::Markdown) {
        std::istringstream lines(section);
        for (std::string line; std::getline(lines, line);) {
            const size_t bar = line.find(" | ");
            if (line.rfind("| ", 0) == 0 && bar != std::string::npos)
                entries.push_back({line.substr(2, bar - 2), line.substr(bar + 3)});
        }
    } else if (format == Format::Roff) {
        const std::string text = "\n" + section + "\n";
        for (size_t at = text.find("\n.TP\n"); at != std::string::npos;
             at = text.find("\n.TP\n", at + 1)) {
            const size_t tag = at + 5, body = text.find('\n', tag);
            const size_t end = text.find("\n.TP\n", body);
            entries.push_back({text.substr(tag, body - tag), text.substr(body, end - body)});
        }
    } else {
        std::string clause;
        for (const char c : section + ";") {
            if (c == ';' || c == ',') {
                entries.push_back({clause, clause});
                clause.clear();
            } else {
                clause += c == '\n' ? ' ' : c;
            }
        }
    }
    return entries;
}

// How the documents speak of several keys or pad inputs at once: the names their words stand for.
const std::pair<const char*, const char*> kTogether[] = {
    {" arrows ", " Left Right Up Down "},
    {" 1 to 4 ", " 1 2 3 4 "},
    {" left and right shoulder ", " left shoulder right shoulder "},
    {" shoulder buttons ", " left shoulder right shoulder "},
};
// How the documents speak of each pad input the settings bind by default.
const std::pair<PadInput, const char*> kSpokenPadInputs[] = {
    {PadInput::LeftStickLeft, "left stick"},
    {PadInput::LeftStickRight, "left stick"},
    {PadInput::DpadLeft, "D-pad"},
    {PadInput::DpadRight, "D-pad"},
    {PadInput::RightTrigger, "right trigger"},
    {PadInput::A, "A"},
    {PadInput::LeftTrigger, "left trigger"},
    {PadInput::B, "B"},
    {PadInput::LeftShoulder, "left shoulder"},
    {PadInput::RightShoulder, "right shoulder"},
    {PadInput::Y, "Y"},
    {PadInput::Start, "Start"},
    {PadInput::Back, "Back"},
};

std::string spoken(PadInput input)
{
    for (const auto& [known, words] : kSpokenPadInputs) {
        if (known == input)
            return words;
    }
    ADD_FAILURE() << "no words for the pad input " << nameOfPadInput(input);
    return "";
}

TEST(DocumentsTest, EachDocumentNamesTheKeysAndPadInputsTheSettingsGiveEachAction)
{
    const std::string readme = fileText("README.md"), manual = fileText("dist/tarvelo.6"),
                      help = printedFor("--help");
    constexpr size_t kDocuments = 3;
    struct Document {
        const char* name;
        Format format;
        std::string keys, pad;  // the sections that name them
    };
    const Document documents[kDocuments] = {
        {"README.md", Format::Markdown, between(readme, "\n## Controls\n", "\n### Gamepads\n"),
         between(readme, "\n### Gamepads\n", "\n## Your own keys")},
        {"dist/tarvelo.6", Format::Roff, between(manual, "\n.SH CONTROLS\n", "\n.SS Gamepad\n"),
         between(manual, "\n.SS Gamepad\n", "\n.SH OPTIONS\n")},
        {"--help", Format::Prose, between(help, "\nKeys: ", "\n\n"),
         between(help, "\nGamepad: ", "\n\n")},
    };
    // Each action the settings bind by default, on the keys or on the pads, with the words of
    // what it does in each document, which find the place that names its keys or inputs.
    struct Mention {
        std::vector<Action> actions;  // named together
        bool onPad;
        const char* does[kDocuments];
    };
    using A = Action;
    const Mention mentions[] = {
        {{A::TurnLeft, A::TurnRight}, false, {"turn by", "turn by", "arrows accelerate"}},
        {{A::Accelerate}, false, {"accelerate towards", "accelerate towards", "arrows"}},
        {{A::Brake}, false, {"brake towards", "brake towards", "arrows accelerate"}},
        {{A::Gear1, A::Gear2, A::Gear3, A::Gear4}, false, {"first to", "first to", "a gear"}},
        {{A::Reverse}, false, {"reverse, only", "reverse, only", "reverse"}},
        {{A::Lights}, false, {"headlights", "headlights", "the lights"}},
        {{A::Pause}, false, {"pause and play on", "pause:", "pauses"}},
        {{A::Mute}, false, {"sound off and on", "sound off and on", "mutes"}},
        {{A::NewCar}, false, {"a fresh car", "a fresh car", "a fresh car"}},
        {{A::TimeTrial}, false, {"the time trial on", "the time trial on", "the time trial"}},
        {{A::FullScreen}, false, {"full screen or", "full screen or", "full screen and"}},
        {{A::Controls}, false, {"the controls over", "the controls over", "the controls"}},
        {{A::Quit}, false, {"leave the game", "leave the game", "ends the game"}},
        {{A::TurnLeft, A::TurnRight}, true, {"turn;", "turn;", "turns"}},
        {{A::Accelerate}, true, {"accelerate", "accelerate", "accelerates"}},
        {{A::Brake}, true, {"brake", "brake", "brakes"}},
        {{A::GearDown, A::GearUp}, true, {"a gear down", "a gear down", "a gear down"}},
        {{A::Lights}, true, {"headlights", "headlights", "the lights"}},
        {{A::Pause}, true, {"pause and play", "pause and play", "pauses"}},
        {{A::NewCar}, true, {"a fresh car", "a fresh car", "a fresh car"}},
    };
    const auto named = [](const Mention& mention, Action action) {
        return std::find(mention.actions.begin(), mention.actions.end(), action) !=
               mention.actions.end();
    };
    const Settings defaults = defaultSettings();
    const auto mentioned = [&](Action action, bool onPad) {
        for (const Mention& mention : mentions) {
            if (named(mention, action) && mention.onPad == onPad)
                return true;
        }
        return false;
    };
    for (const KeyBinding& binding : defaults.keys)
        EXPECT_TRUE(mentioned(binding.action, false)) << "the key " << nameOfKey(binding.key);
    for (const PadBinding& binding : defaults.pad)
        EXPECT_TRUE(mentioned(binding.action, true))
            << "the pad's " << nameOfPadInput(binding.input);

    for (size_t d = 0; d < kDocuments; ++d) {
        const Document& document = documents[d];
        ASSERT_NE(document.keys, "") << document.name;
        ASSERT_NE(document.pad, "") << document.name;
        for (const Mention& mention : mentions) {
            std::vector<std::string> names;  // what the settings bind to each action, in turn
            for (const Action action : mention.actions) {
                const size_t before = names.size();
                if (mention.onPad) {
                    for (const PadBinding& binding : defaults.pad)
                        if (binding.action == action)
                            names.push_back(spoken(binding.input));
                } else {
                    for (const KeyBinding& binding : defaults.keys)
                        if (binding.action == action)
                            names.push_back(nameOfKey(binding.key));
                }
                EXPECT_NE(names.size(), before)
                    << "the settings bind nothing to action " << static_cast<int>(action);
            }
            const std::string does = mention.does[d];
            SCOPED_TRACE(std::string(document.name) + ", " + (mention.onPad ? "pad" : "keys") +
                         ", '" + does + "'");
            std::vector<Entry> found;
            for (const Entry& entry :
                 entriesOf(mention.onPad ? document.pad : document.keys, document.format)) {
                if (entry.does.find(does) != std::string::npos)
                    found.push_back(entry);
            }
            EXPECT_EQ(found.size(), 1u) << "the entries saying what the action does";
            if (found.size() != 1)
                continue;
            std::string bound = wordsOf(found.front().bound);
            for (const auto& [together, words] : kTogether)
                replaceAll(bound, together, words);
            for (const std::string& name : names)
                EXPECT_NE(bound.find(" " + name + " "), std::string::npos)
                    << name << " is not in '" << found.front().bound << "'";
        }
    }
}

TEST(DocumentsTest, TheSettingsSectionsNameEverySettingOfTheControls)
{
    struct Listing {
        const char* document;
        const char *from, *to;  // the names between these
        bool keys, pad;         // the settings it names: key.NAME, pad.NAME
    };
    const Listing listings[] = {
        {"README.md", "for the actions ", "(pads only)", true, true},
        {"dist/tarvelo.6", "keys for the action: ", "No key may", true, false},
        {"dist/tarvelo.6", "pad inputs for the action: ", "none leaves", false, true},
    };
    for (const Listing& listing : listings) {
        SCOPED_TRACE(std::string(listing.document) + ", after '" + listing.from + "'");
        std::string names = wordsOf(between(fileText(listing.document), listing.from, listing.to));
        replaceAll(names, " gear1 to gear4 ", " gear1 gear2 gear3 gear4 ");
        for (const ControlLine& line : controlLines(defaultSettings())) {
            if (line.onPad ? listing.pad : listing.keys) {
                EXPECT_NE(names.find(std::string(" ") + line.name + " "), std::string::npos)
                    << line.name;
            }
        }
    }
}

TEST(DocumentsTest, TheFormatOfRecordedDrivesGivesEachActionItsCode)
{
    using A = Action;
    // The format's words for the recorded actions, each with its code or run of codes.
    const std::pair<std::string, std::vector<Action>> spoken[] = {
        {"turn left", {A::TurnLeft}},
        {"turn right", {A::TurnRight}},
        {"accelerate", {A::Accelerate}},
        {"brake", {A::Brake}},
        {"first to fourth gear", {A::Gear1, A::Gear2, A::Gear3, A::Gear4}},
        {"reverse", {A::Reverse}},
        {"lights", {A::Lights}},
        {"pause", {A::Pause}},
        {"New", {A::NewCar}},
        {"the time trial on or off", {A::TimeTrial}},
    };
    const std::string list =
        between(fileText("docs/replay-format.md"), "an action reaching the game: ", " (");
    ASSERT_NE(list, "");
    std::vector<Action> named;
    std::istringstream items(list);
    for (std::string item; std::getline(items, item, ',');) {
        std::istringstream in(item);  // "0 turn left", "4 to 7 first to fourth gear"
        int first = -1, last = -1;
        std::string word, words;
        in >> first >> word;
        if (word == "to")
            in >> last >> word;
        else
            last = first;
        for (words = word; in >> word;)
            words += " " + word;
        SCOPED_TRACE(item);
        const auto row = std::find_if(std::begin(spoken), std::end(spoken),
                                      [&](const auto& known) { return known.first == words; });
        ASSERT_NE(row, std::end(spoken)) << "no action is spoken of so";
        ASSERT_EQ(row->second.size(), static_cast<size_t>(last - first + 1));
        for (int code = first; code <= last; ++code) {
            const Action action = row->second[static_cast<size_t>(code - first)];
            EXPECT_EQ(static_cast<int>(codeOfAction(action).value_or(0xFF)), code);  // 0xFF: none
            named.push_back(action);
        }
    }
    for (int i = 0; i < kActionCount; ++i) {
        const Action action = static_cast<Action>(i);
        EXPECT_EQ(codeOfAction(action).has_value(),
                  std::find(named.begin(), named.end(), action) != named.end())
            << "action " << i << " is recorded, or is in the format";
    }
}

TEST(DocumentsTest, TheDocumentsListThePicturesInTheGamesOrderAndGiveItsVersion)
{
    std::vector<std::string> files, names;  // Car.bmp ..., Car ...
    for (const char* file : textureFiles) {
        files.push_back(file);
        names.push_back(files.back().substr(0, files.back().size() - 4));
    }
    std::istringstream versionLine(printedFor("--version"));
    std::string program, version;
    versionLine >> program >> version;
    ASSERT_EQ(program, "tarvelo");
    const std::vector<std::string> versionOnly = {version};
    struct Listed {
        const char* document;
        const char *from, *to;                  // the words between these
        const std::vector<std::string>& words;  // as the game has them
    };
    const Listed listed[] = {
        {"docs/replay-format.md", "for each, in the order ", ", its width", names},
        {"README.md", "reads its ten pictures (", ") from one folder", files},
        {"dist/tarvelo.6", "\nThe game reads\n", "\nfrom the folder", files},
        {"docs/replay-format.md", "recorded the drive, ", " |", versionOnly},
        {"README.md", "build-package/tarvelo_", "_amd64.deb", versionOnly},
    };
    for (const Listed& list : listed) {
        SCOPED_TRACE(std::string(list.document) + ", after '" + list.from + "'");
        std::istringstream text(wordsOf(between(fileText(list.document), list.from, list.to)));
        std::vector<std::string> words;
        for (std::string word; text >> word;) {
            if (word != "and")
                words.push_back(word);
        }
        EXPECT_EQ(words, list.words);
    }
}

}  // namespace
