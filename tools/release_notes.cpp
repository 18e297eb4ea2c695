// Makes the release lists the game ships from its NEWS file: the <releases> of the AppStream
// metainfo (in place of the template's line @TARVELO_RELEASES@) and the Debian changelog. It
// refuses a NEWS whose newest release is not the project's version, whose releases are out of
// order or whose dates are not real days, so that the shipped lists cannot disagree.
//   Usage: release_notes NEWS VERSION MAINTAINER METAINFO_TEMPLATE METAINFO CHANGELOG
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Release {
    std::string version;
    int year, month, day;
    std::vector<std::string> changes;  // each on one line, as NEWS words it
};

[[noreturn]] void refuse(const std::string& what)
{
    std::cerr << "release_notes: " << what << "\n";
    std::exit(1);
}

int daysInMonth(int year, int month)
{
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to the given day of the Gregorian calendar.
long daysSinceEpoch(int year, int month, int day)
{
    const int y = month <= 2 ? year - 1 : year;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yearOfEra = y - era * 400;
    const long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// Negative, zero or positive as version a is older than, the same as or newer than b.
int compareVersions(const std::string& a, const std::string& b)
{
    std::istringstream left(a), right(b);
    for (;;) {
        long x = 0, y = 0;
        char dot;
        const bool moreLeft = static_cast<bool>(left >> x);
        const bool moreRight = static_cast<bool>(right >> y);
        if (!moreLeft && !moreRight)
            return 0;
        if (x != y)
            return x < y ? -1 : 1;
        left >> dot;
        right >> dot;
    }
}

std::vector<Release> readNews(const std::string& path)
{
    std::ifstream in(path);
    if (!in)
        refuse("cannot read " + path);
    const std::regex heading(R"(([0-9]+(\.[0-9]+)*) \(([0-9]{4})-([0-9]{2})-([0-9]{2})\))");
    std::vector<Release> releases;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string where = path + ":" + std::to_string(number) + ": ";
        std::smatch match;
        if (std::regex_match(line, match, heading)) {
            Release release{
                match[1], std::stoi(match[3]), std::stoi(match[4]), std::stoi(match[5]), {}};
            if (release.month < 1 || release.month > 12 || release.day < 1 ||
                release.day > daysInMonth(release.year, release.month))
                refuse(where + "no such day");
            if (!releases.empty()) {
                const Release& newer = releases.back();
                if (newer.changes.empty())
                    refuse(where + "release " + newer.version + " lists no change");
                // Debian's changelog wants each entry later than the one before it.
                if (compareVersions(release.version, newer.version) >= 0 ||
                    daysSinceEpoch(release.year, release.month, release.day) >=
                        daysSinceEpoch(newer.year, newer.month, newer.day))
                    refuse(where + "releases go newest first, each on a later day");
            }
            releases.push_back(release);
        } else if (line.rfind("- ", 0) == 0 && !releases.empty()) {
            releases.back().changes.push_back(line.substr(2));
        } else if (line.rfind("  ", 0) == 0 && !releases.empty() &&
                   !releases.back().changes.empty()) {
            releases.back().changes.back() += " " + line.substr(line.find_first_not_of(' '));
        } else if (!line.empty() && !releases.empty()) {
            refuse(where + "neither a release, a change nor its continuation");
        }
    }
    if (releases.empty() || releases.back().changes.empty())
        refuse(path + ": every release lists its changes");
    return releases;
}

std::string escapeXml(const std::string& text)
{
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string isoDate(const Release& release)
{
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", release.year, release.month, release.day);
    return date;
}

std::string metainfoReleases(const std::vector<Release>& releases)
{
    std::string xml = "  <releases>\n";
    for (const Release& release : releases) {
        xml += "    <release version=\"" + release.version + "\" date=\"" + isoDate(release) +
               "\">\n      <description>\n        <ul>\n";
        for (const std::string& change : release.changes)
            xml += "          <li>" + escapeXml(change) + "</li>\n";
        xml += "        </ul>\n      </description>\n    </release>\n";
    }
    return xml + "  </releases>\n";
}

// A change as a changelog item: "  * " and its words, wrapped before column 80.
std::string changelogItem(const std::string& change)
{
    std::istringstream words(change);
    std::string item = "  *", line, word;
    std::size_t width = item.size();
    while (words >> word) {
        if (width + 1 + word.size() > 79 && width > 4) {
            item += "\n   ";
            width = 3;
        }
        item += " " + word;
        width += 1 + word.size();
    }
    return item + "\n";
}

std::string debianChangelog(const std::vector<Release>& releases, const std::string& maintainer)
{
    constexpr const char* kWeekdays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
    constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::string text;
    for (const Release& release : releases) {
        text += "tarvelo (" + release.version + ") unstable; urgency=medium\n\n";
        for (const std::string& change : release.changes)
            text += changelogItem(change);
        const long days = daysSinceEpoch(release.year, release.month, release.day);
        char date[40];
        std::snprintf(date, sizeof date, "%s, %02d %s %04d 00:00:00 +0000",
                      kWeekdays[((days % 7) + 7) % 7], release.day, kMonths[release.month - 1],
                      release.year);
        text += "\n -- " + maintainer + "  " + date + "\n\n";
    }
    text.pop_back();  // one newline at the end
    return text;
}

void writeText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    if (!(out << text) || !out.flush())
        refuse("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 7) {
        std::cerr << "usage: release_notes NEWS VERSION MAINTAINER METAINFO_TEMPLATE METAINFO "
                     "CHANGELOG\n";
        return 2;
    }
    const std::vector<Release> releases = readNews(argv[1]);
    if (releases.front().version != argv[2])
        refuse(std::string(argv[1]) + ": the newest release is " + releases.front().version +
               ", the project's version is " + argv[2]);

    std::ifstream in(argv[4]);
    if (!in)
        refuse(std::string("cannot read ") + argv[4]);
    std::string metainfo, line;
    bool placed = false;
    while (std::getline(in, line)) {
        if (line == "@TARVELO_RELEASES@") {
            metainfo += metainfoReleases(releases);
            placed = true;
        } else {
            metainfo += line + "\n";
        }
    }
    if (!placed)
        refuse(std::string(argv[4]) + " has no @TARVELO_RELEASES@ line");
    writeText(argv[5], metainfo);
    writeText(argv[6], debianChangelog(releases, argv[3]));
    return 0;
}
