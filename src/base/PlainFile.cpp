// Small files read whole: opened without waiting, and read only once they are known to be plain
// files no larger than allowed; and where the player's own files of the game lie.
#include "base/PlainFile.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

std::string playerFile(const char* variable, const char* underHome, const char* name)
{
    const char* folder = std::getenv(variable);
    if (folder && folder[0] == '/')
        return std::string(folder) + "/tarvelo/" + name;
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* user = getpwuid(getuid());
        home = user ? user->pw_dir : nullptr;
    }
    if (!home || !*home)
        return "";
    return std::string(home) + "/" + underHome + "/tarvelo/" + name;
}

FileContents readPlainFile(const std::string& path, size_t largest)
{
    FileContents file;
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        file.trouble = FileTrouble::CannotOpen;
        file.error = errno;
        return file;
    }
    struct stat status {};
    if (fstat(fd, &status) != 0) {
        file.trouble = FileTrouble::CannotRead;
        file.error = errno;
    } else if (S_ISDIR(status.st_mode)) {
        file.trouble = FileTrouble::Folder;
    } else if (!S_ISREG(status.st_mode)) {
        file.trouble = FileTrouble::NotPlain;
    } else if (static_cast<unsigned long long>(status.st_size) > largest) {
        file.trouble = FileTrouble::TooLarge;
    } else {
        // Read to its end, however long it says it is, and one byte beyond what is allowed at
        // most: a file that grew meanwhile is too large too.
        file.bytes.resize(static_cast<size_t>(status.st_size) + 1);
        size_t length = 0;
        for (;;) {
            if (length == file.bytes.size()) {
                if (length > largest)
                    break;
                file.bytes.resize(std::min(2 * length, largest + 1));
            }
            const ssize_t got = read(fd, file.bytes.data() + length, file.bytes.size() - length);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                file.trouble = FileTrouble::CannotRead;
                file.error = errno;
                break;
            }
            if (got == 0)
                break;
            length += static_cast<size_t>(got);
        }
        file.bytes.resize(length);
        if (file.trouble == FileTrouble::None && length > largest)
            file.trouble = FileTrouble::TooLarge;
    }
    close(fd);
    if (file.trouble != FileTrouble::None)
        file.bytes.clear();
    return file;
}
