// The arrows between the program's rooms, read from the includes of the source tree:
// platform/ is the bottom, then records/, tagging/ and app/ at the top; a file includes only
// files of its own room or of rooms below it. The core library reaches no file of the window
// library and no Qt Widgets header; the windows meet only in the program block; and records/
// and tagging/ do not reach for the main window's global. Every rule lists all offending
// files and lines at once.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Include {
    std::string name;  // as written between the quotes or angle brackets
    bool angle = false;
    int line = 0;
};

struct Source {
    std::string bare;  // the text with comments and literals blanked, line breaks kept
    std::vector<Include> includes;
};

// What the rules read: the rooms' files by their path from the source root ('/'-separated),
// the sources of the two libraries in the same form, and the file names of the Qt Widgets
// include folder.
struct Program {
    std::map<std::string, Source> files;
    std::set<std::string> core;
    std::set<std::string> ui;
    std::set<std::string> widgetsHeaders;
};

const std::vector<std::string> kRooms = {"platform", "records", "tagging", "app"};

// The windows, each with the header that declares it; only the program block creates them.
struct Window {
    std::string header;
    std::string className;
};
const std::vector<Window> kWindows = {
    {"app/form1.h", "TForm1"},
    {"records/settingsfrm.h", "TSettingsFrm"},
    {"records/backupform.h", "TBackupForm"},
    {"records/groupfrm.h", "TGroupFrm"},
    {"records/aboutfrm.h", "TAboutFrm"},
    {"tagging/frmtaggerpro.h", "TfrmTaggerPro"},
    {"tagging/frmdicteditor.h", "TfrmDictEditor"},
};
const std::string kProgramBlock = "app/program.cpp";

bool isIdentifierChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A quote inside a number (1'000'000) separates digits and opens no literal.
bool isDigitSeparator(const std::string& text, std::size_t quote) {
    std::size_t start = quote;
    while (start > 0 &&
           (isIdentifierChar(text[start - 1]) || text[start - 1] == '\'' || text[start - 1] == '.'))
        --start;
    return start < quote && isDigit(text[start]);
}

// Where the string or character literal opening at `open` ends (one past its closing quote);
// raw strings run to their closing delimiter, other literals stop at the end of the line.
std::size_t literalEnd(const std::string& text, std::size_t open) {
    std::size_t prefix = open;
    while (prefix > 0 && isIdentifierChar(text[prefix - 1])) --prefix;
    const std::string encoding = text.substr(prefix, open - prefix);
    if (text[open] == '"' && !encoding.empty() && encoding.back() == 'R' &&
        (encoding == "R" || encoding == "LR" || encoding == "uR" || encoding == "UR" ||
         encoding == "u8R")) {
        const std::size_t paren = text.find('(', open);
        if (paren == std::string::npos) return text.size();
        const std::string closing = ")" + text.substr(open + 1, paren - open - 1) + "\"";
        const std::size_t end = text.find(closing, paren);
        return end == std::string::npos ? text.size() : end + closing.size();
    }
    std::size_t i = open + 1;
    while (i < text.size() && text[i] != text[open] && text[i] != '\n')
        i += text[i] == '\\' ? 2 : 1;
    return std::min(i + 1, text.size());
}

// Blanks comments, and string and character literals when asked, keeping every line break so
// that positions keep their line numbers.
std::string blankOut(const std::string& text, bool literals) {
    std::string out = text;
    const auto blank = [&out](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i)
            if (out[i] != '\n') out[i] = ' ';
    };
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        std::size_t end = i + 1;
        if (c == '/' && next == '/') {
            end = std::min(text.find('\n', i), text.size());
            blank(i, end);
        } else if (c == '/' && next == '*') {
            const std::size_t close = text.find("*/", i + 2);
            end = close == std::string::npos ? text.size() : close + 2;
            blank(i, end);
        } else if (c == '"' || (c == '\'' && !isDigitSeparator(text, i))) {
            end = literalEnd(text, i);
            if (literals) blank(i, end);
        }
        i = end;
    }
    return out;
}

int lineAt(const std::string& text, std::size_t offset) {
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + offset, '\n'));
}

// The include a line holds: `#include "name"` or `#include <name>`, blanks allowed around '#'.
std::optional<Include> includeOn(const std::string& line, int number) {
    std::size_t i = line.find_first_not_of(" \t");
    if (i == std::string::npos || line[i] != '#') return std::nullopt;
    i = line.find_first_not_of(" \t", i + 1);
    if (i == std::string::npos || line.compare(i, 7, "include") != 0) return std::nullopt;
    i = line.find_first_not_of(" \t", i + 7);
    if (i == std::string::npos || (line[i] != '"' && line[i] != '<')) return std::nullopt;
    const bool angle = line[i] == '<';
    const std::size_t close = line.find(angle ? '>' : '"', i + 1);
    if (close == std::string::npos) return std::nullopt;
    return Include{line.substr(i + 1, close - i - 1), angle, number};
}

Source scan(const std::string& text) {
    Source source{blankOut(text, true), {}};
    std::istringstream lines(blankOut(text, false));
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number)
        if (const auto inc = includeOn(line, number)) source.includes.push_back(*inc);
    return source;
}

std::string readText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every .h and .cpp of the rooms below `root`, build folders left out.
std::map<std::string, Source> readRooms(const fs::path& root) {
    std::map<std::string, Source> files;
    for (const std::string& room : kRooms) {
        if (!fs::is_directory(root / room)) continue;
        for (auto it = fs::recursive_directory_iterator(root / room);
             it != fs::recursive_directory_iterator(); ++it) {
            const std::string name = it->path().filename().string();
            if (it->is_directory()) {
                if (name.starts_with("build") || name.starts_with("."))
                    it.disable_recursion_pending();
                continue;
            }
            const std::string ext = it->path().extension().string();
            if (it->is_regular_file() && (ext == ".h" || ext == ".cpp"))
                files[it->path().lexically_relative(root).generic_string()] =
                    scan(readText(it->path()));
        }
    }
    return files;
}

std::string roomOf(const std::string& path) {
    return path.substr(0, path.find('/'));
}

int rankOf(const std::string& room) {
    for (std::size_t i = 0; i < kRooms.size(); ++i)
        if (kRooms[i] == room) return static_cast<int>(i);
    return -1;
}

// The file of the tree an include names: by its path from the source root (the build's include
// folder), else, for a quoted include, by its path from the including file's folder.
std::optional<std::string> resolve(const Program& p, const std::string& from, const Include& inc) {
    std::vector<fs::path> candidates = {fs::path(inc.name)};
    if (!inc.angle) candidates.push_back(fs::path(from).parent_path() / inc.name);
    for (const fs::path& candidate : candidates) {
        const std::string path = candidate.lexically_normal().generic_string();
        if (p.files.count(path)) return path;
    }
    return std::nullopt;
}

std::string written(const Include& inc) {
    return "#include " + (inc.angle ? "<" + inc.name + ">" : "\"" + inc.name + "\"");
}

std::string at(const std::string& file, int line) {
    return file + ":" + std::to_string(line);
}

bool isUiFile(const Program& p, const std::string& path) {
    return p.ui.count(path) ||
           (path.ends_with(".h") && p.ui.count(path.substr(0, path.size() - 2) + ".cpp"));
}

bool isWidgetsHeader(const Program& p, const Include& inc) {
    return inc.angle && (inc.name.starts_with("QtWidgets/") || p.widgetsHeaders.count(inc.name));
}

// Offsets in `bare` where `word` stands as a whole identifier.
std::vector<std::size_t> wordsIn(const std::string& bare, const std::string& word) {
    std::vector<std::size_t> found;
    for (std::size_t i = bare.find(word); i != std::string::npos; i = bare.find(word, i + 1)) {
        const std::size_t end = i + word.size();
        if ((i == 0 || !isIdentifierChar(bare[i - 1])) &&
            (end == bare.size() || !isIdentifierChar(bare[end])))
            found.push_back(i);
    }
    return found;
}

using Violations = std::vector<std::string>;

Violations roomArrows(const Program& p) {
    Violations found;
    for (const auto& [file, source] : p.files)
        for (const Include& inc : source.includes) {
            const auto target = resolve(p, file, inc);
            if (target && rankOf(roomOf(*target)) > rankOf(roomOf(file)))
                found.push_back(at(file, inc.line) + ": " + roomOf(file) + "/ includes " + *target +
                                " of " + roomOf(*target) + "/");
        }
    return found;
}

// From every core source along the tree's own includes; each offending include is named once,
// with the chain from the first core source that reaches it.
Violations coreReachesUi(const Program& p) {
    Violations found;
    std::set<std::string> named;
    for (const std::string& start : p.core) {
        if (!p.files.count(start)) continue;
        std::map<std::string, std::pair<std::string, Include>> reachedBy;
        std::set<std::string> seen = {start};
        std::deque<std::string> queue = {start};
        const auto chain = [&](const std::string& file, const Include& last) {
            std::vector<std::string> steps = {at(file, last.line) + ": " + written(last)};
            for (std::string f = file; f != start; f = reachedBy.at(f).first) {
                const auto& [includer, inc] = reachedBy.at(f);
                steps.insert(steps.begin(), at(includer, inc.line) + ": " + written(inc));
            }
            std::string text;
            for (const std::string& step : steps) text += "\n    " + step;
            return text;
        };
        while (!queue.empty()) {
            const std::string file = queue.front();
            queue.pop_front();
            for (const Include& inc : p.files.at(file).includes) {
                const auto target = resolve(p, file, inc);
                const bool ui = target && isUiFile(p, *target);
                if ((ui || isWidgetsHeader(p, inc)) && named.insert(at(file, inc.line)).second)
                    found.push_back(start + " reaches " +
                                    (ui ? *target + ", a file of the window library"
                                        : "the Qt Widgets header <" + inc.name + ">") +
                                    ":" + chain(file, inc));
                if (target && !ui && seen.insert(*target).second) {
                    reachedBy.emplace(*target, std::make_pair(file, inc));
                    queue.push_back(*target);
                }
            }
        }
    }
    return found;
}

Violations windowsMeetOnlyInTheProgramBlock(const Program& p) {
    Violations found;
    for (const auto& [file, source] : p.files) {
        if (roomOf(file) == "platform" || file == kProgramBlock) continue;
        for (const Include& inc : source.includes) {
            const auto target = resolve(p, file, inc);
            for (const Window& w : kWindows) {
                if (target != w.header) continue;
                const bool ownCpp = file == w.header.substr(0, w.header.size() - 2) + ".cpp";
                const std::vector<std::size_t> uses = wordsIn(source.bare, w.className);
                const bool definesMembers = std::any_of(uses.begin(), uses.end(), [&](auto i) {
                    return source.bare.compare(i + w.className.size(), 2, "::") == 0;
                });
                if (!ownCpp && !definesMembers)
                    found.push_back(at(file, inc.line) + ": includes " + w.header +
                                    ", the header of the window " + w.className);
            }
        }
    }
    return found;
}

Violations mainWindowGlobal(const Program& p) {
    Violations found;
    for (const auto& [file, source] : p.files) {
        if (roomOf(file) != "records" && roomOf(file) != "tagging") continue;
        int last = 0;
        for (const std::size_t i : wordsIn(source.bare, "Form1")) {
            const int line = lineAt(source.bare, i);
            if (line != last) found.push_back(at(file, line) + ": uses the main window's Form1");
            last = line;
        }
    }
    return found;
}

std::string joined(const Violations& found) {
    std::string text = std::to_string(found.size()) + " found:";
    for (const std::string& v : found) text += "\n  " + v;
    return text;
}

// The library sources as the build lists them: a line a library, tab-separated, of its name,
// its source folder and its sources (absolute or from that folder).
void readTargets(Program& p, const fs::path& root, const fs::path& listing) {
    const fs::path base = fs::weakly_canonical(root);
    std::ifstream in(listing);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
        if (fields.size() < 2) continue;
        std::set<std::string>& into = fields[0] == "core" ? p.core : p.ui;
        for (std::size_t i = 2; i < fields.size(); ++i) {
            const fs::path source = fs::weakly_canonical(fs::path(fields[1]) / fields[i]);
            into.insert(source.lexically_relative(base).generic_string());
        }
    }
}

const Program& sourceTree() {
    static const Program program = [] {
        Program p;
        p.files = readRooms(PIXOLET_SOURCE_DIR);
        readTargets(p, PIXOLET_SOURCE_DIR, PIXOLET_ARCHITECTURE_TARGETS);
        if (fs::is_directory(PIXOLET_QT_WIDGETS_DIR))
            for (const auto& entry : fs::directory_iterator(PIXOLET_QT_WIDGETS_DIR))
                p.widgetsHeaders.insert(entry.path().filename().string());
        return p;
    }();
    return program;
}

TEST(ArchitectureChecks, ReadTheSourceTreeAndBothLibraries) {
    const Program& p = sourceTree();
    EXPECT_TRUE(p.files.count(kProgramBlock));
    EXPECT_TRUE(p.ui.count(kProgramBlock));
    EXPECT_TRUE(p.core.count("platform/text/text.cpp"));
    EXPECT_TRUE(p.widgetsHeaders.count("QWidget")) << PIXOLET_QT_WIDGETS_DIR;
}

TEST(Architecture, NoRoomIncludesARoomAboveIt) {
    const Violations found = roomArrows(sourceTree());
    EXPECT_TRUE(found.empty()) << "Includes against the rooms' order, " << joined(found);
}

TEST(Architecture, TheCoreLibraryReachesNoWindowCode) {
    const Violations found = coreReachesUi(sourceTree());
    EXPECT_TRUE(found.empty()) << "Core sources reaching window code, " << joined(found);
}

TEST(Architecture, WindowsMeetOnlyInTheProgramBlock) {
    const Violations found = windowsMeetOnlyInTheProgramBlock(sourceTree());
    EXPECT_TRUE(found.empty()) << "Window headers included outside " << kProgramBlock
                               << " and the windows' own files, " << joined(found);
}

TEST(Architecture, RecordsAndTaggingLeaveTheMainWindowsGlobalAlone) {
    const Violations found = mainWindowGlobal(sourceTree());
    EXPECT_TRUE(found.empty()) << "Uses of Form1 in records/ and tagging/, " << joined(found);
}

// The rules on small trees written into a temporary folder.
class FixtureTree {
public:
    FixtureTree() {
        std::string name = (fs::temp_directory_path() / "architecture-XXXXXX").string();
        root_ = ::mkdtemp(name.data()) ? name : std::string();
    }
    ~FixtureTree() {
        std::error_code ignored;
        if (!root_.empty()) fs::remove_all(root_, ignored);
    }
    FixtureTree(const FixtureTree&) = delete;
    FixtureTree& operator=(const FixtureTree&) = delete;

    void write(const std::string& path, const std::string& text) const {
        fs::create_directories((root_ / path).parent_path());
        std::ofstream(root_ / path, std::ios::binary) << text;
    }
    const fs::path& root() const { return root_; }

private:
    fs::path root_;
};

struct RuleCase {
    const char* what;
    std::vector<std::pair<std::string, std::string>> files;
    std::set<std::string> core, ui;
    Violations (*rule)(const Program&);
    std::vector<std::string> expected;  // one text a violation, each found in its message
};

TEST(ArchitectureChecks, ReportEveryViolationWithItsFileAndLineAndNothingElse) {
    const std::vector<RuleCase> cases = {
        {"includes in comments and strings are none; a step up the rooms is one",
         {{"platform/a.cpp",
           "// #include \"records/r.h\"\n"
           "/* #include \"app/w.h\"\n   #include \"app/w.h\" */\n"
           "const char* s = \"#include \\\"app/w.h\\\"\";\n"
           "#include \"platform/a.h\"\n"
           "  #  include \"records/r.h\"\n"},
          {"platform/a.h", ""},
          {"records/r.h", "#include \"../tagging/t.h\"\n#include \"platform/a.h\"\n"},
          {"tagging/t.h", "#include \"t2.h\"\n"},
          {"tagging/t2.h", "#include <app/w.h>\n"},
          {"app/w.h", "#include \"records/r.h\"\n"}},
         {},
         {},
         roomArrows,
         {"platform/a.cpp:6: platform/ includes records/r.h of records/",
          "records/r.h:1: records/ includes tagging/t.h",
          "tagging/t2.h:1: tagging/ includes app/w.h"}},
        {"a core source reaches a window header and a widgets header through other headers",
         {{"records/dm.cpp", "#include \"records/dm.h\"\n#include <QString>\n"},
          {"records/dm.h", "#include <vector>\n#include \"platform/p.h\"\n"},
          {"platform/p.h", "#include \"records/grid.h\"\n#include <QtWidgets/QLabel>\n"},
          {"records/grid.h", "\n\n#include <QWidget>\n"},
          {"app/w.h", "#include <QWidget>\n"},
          {"app/w.cpp", "#include \"app/w.h\"\n"},
          {"records/plain.h", "// #include \"app/w.h\"\n#include <QLabel>\n"},
          {"records/plain.cpp", "#include \"records/plain.h\"\n#include \"records/uses.h\"\n"},
          {"records/uses.h", "#include \"app/w.h\"\n"}},
         {"records/dm.cpp", "records/plain.cpp"},
         {"app/w.cpp", "records/grid.cpp"},
         coreReachesUi,
         {"records/dm.cpp reaches records/grid.h, a file of the window library:\n"
          "    records/dm.cpp:1: #include \"records/dm.h\"\n"
          "    records/dm.h:2: #include \"platform/p.h\"\n"
          "    platform/p.h:1: #include \"records/grid.h\"",
          "records/dm.cpp reaches the Qt Widgets header <QtWidgets/QLabel>:\n"
          "    records/dm.cpp:1: #include \"records/dm.h\"\n"
          "    records/dm.h:2: #include \"platform/p.h\"\n"
          "    platform/p.h:2: #include <QtWidgets/QLabel>",
          "records/plain.cpp reaches the Qt Widgets header <QLabel>:\n"
          "    records/plain.cpp:1: #include \"records/plain.h\"\n"
          "    records/plain.h:2: #include <QLabel>",
          "records/plain.cpp reaches app/w.h, a file of the window library:\n"
          "    records/plain.cpp:2: #include \"records/uses.h\"\n"
          "    records/uses.h:1: #include \"app/w.h\""}},
        {"a window header is for the program block and the window's own files",
         {{"records/groupfrm.h", "class TGroupFrm {};\n"},
          {"records/groupfrm.cpp", "#include \"records/groupfrm.h\"\n"},
          {"records/group_rules.cpp",
           "#include \"records/groupfrm.h\"\nvoid TGroupFrm::Apply() {}\n"},
          {"app/program.cpp", "#include \"records/groupfrm.h\"\n"},
          {"app/commands.cpp",
           "#include <vector>\n#include \"records/groupfrm.h\"\n// TGroupFrm::Apply\n"
           "auto s = \"TGroupFrm::\"; XTGroupFrm::f();\n"},
          {"tagging/x.h", "\n#include \"../records/groupfrm.h\"\n"}},
         {},
         {},
         windowsMeetOnlyInTheProgramBlock,
         {"app/commands.cpp:2: includes records/groupfrm.h, the header of the window TGroupFrm",
          "tagging/x.h:2: includes records/groupfrm.h"}},
        {"Form1 counts as a whole identifier outside comments and literals",
         {{"tagging/t.cpp",
           "TForm1* a; Form1Probe b; // Form1->Close();\n"
           "const char q = '\"'; auto n = 1'000; Form1->Close(); Form1->Show();\n"
           "auto s = \"Form1->\"; /* Form1 */ auto c = '\\'';\n"
           "void f(TForm1& w = *Form1);\n"},
          {"records/r.h", "extern TForm1* Form1;\n"},
          {"app/form1.cpp", "TForm1* Form1 = nullptr;\n"}},
         {},
         {},
         mainWindowGlobal,
         {"records/r.h:1: uses the main window's Form1", "tagging/t.cpp:2:", "tagging/t.cpp:4:"}},
    };
    for (const RuleCase& c : cases) {
        SCOPED_TRACE(c.what);
        const FixtureTree tree;
        ASSERT_FALSE(tree.root().empty());
        for (const auto& [path, text] : c.files) tree.write(path, text);
        Program p;
        p.files = readRooms(tree.root());
        p.core = c.core;
        p.ui = c.ui;
        p.widgetsHeaders = {"QWidget", "QLabel"};
        const Violations found = c.rule(p);
        ASSERT_EQ(found.size(), c.expected.size()) << joined(found);
        for (std::size_t i = 0; i < found.size(); ++i)
            EXPECT_NE(found[i].find(c.expected[i]), std::string::npos)
                << "expected: " << c.expected[i] << "\nfound: " << found[i];
    }
}

}  // namespace
