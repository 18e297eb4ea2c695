// Fuzz target: any bytes as the player's settings file must come back as settings the game can
// play with: every action of the keys with a key, no key or pad input for two things, Escape
// quitting, no pad input quitting, a dead zone in its range; and at most one warning a line.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "input/Settings.h"

namespace {

void check(bool holds)
{
    if (!holds)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> warnings;
    const Settings settings = parseSettings(text, "settings.conf", warnings);
    const size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    check(warnings.size() <= lines);
    for (const std::string& warning : warnings)
        check(warning.rfind("settings.conf:", 0) == 0);

    bool hasKey[kActionCount] = {};
    for (size_t i = 0; i < settings.keys.size(); ++i) {
        const KeyBinding& binding = settings.keys[i];
        hasKey[static_cast<int>(binding.action)] = true;
        check(binding.key == inOneCase(binding.key));
        check(binding.key != kEscapeKey || binding.action == Action::Quit);
        check(keyOfName(nameOfKey(binding.key)) == binding.key);  // its name reads back
        for (size_t j = i + 1; j < settings.keys.size(); ++j)
            check(settings.keys[j].key != binding.key);
    }
    for (const KeyBinding& binding : defaultSettings().keys)  // every action keys can ask for
        check(hasKey[static_cast<int>(binding.action)]);
    check(std::any_of(settings.keys.begin(), settings.keys.end(), [](const KeyBinding& b) {
        return b.key == kEscapeKey && b.action == Action::Quit;
    }));
    for (size_t i = 0; i < settings.pad.size(); ++i) {
        check(settings.pad[i].action != Action::Quit);
        for (size_t j = i + 1; j < settings.pad.size(); ++j)
            check(settings.pad[j].input != settings.pad[i].input);
    }
    check(settings.deadZonePercent >= kSmallestDeadZone &&
          settings.deadZonePercent <= kLargestDeadZone);
    return 0;
}
