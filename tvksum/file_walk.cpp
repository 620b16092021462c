// file_walk.cpp -- recursive expansion of directory operands.
#include "file_walk.h"
#include "user_locale.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <set>
#include <sys/stat.h>
#include <utility>

namespace tvksum {

namespace {

struct Walk {
    bool follow_links;
    std::vector<Operand> &out;
    // Directories on the current path (device, inode): a followed link that
    // leads back up is not entered again.
    std::set<std::pair<dev_t, ino_t>> open_dirs;

    static std::string join(const std::string &dir, const std::string &entry) {
        return !dir.empty() && dir.back() == '/' ? dir + entry : dir + "/" + entry;
    }

    void directory(const std::string &path, const struct stat &st) {
        const auto key = std::make_pair(st.st_dev, st.st_ino);
        if (!open_dirs.insert(key).second)
            return;
        std::vector<std::string> entries;
        if (DIR *d = opendir(path.c_str())) {
            while (const dirent *e = readdir(d)) {
                if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                    entries.emplace_back(e->d_name);
            }
            closedir(d);
        } else {
            out.push_back({path, system_error_text(errno)});
            open_dirs.erase(key);
            return;
        }
        std::sort(entries.begin(), entries.end());
        for (const std::string &entry : entries)
            visit(join(path, entry));
        open_dirs.erase(key);
    }

    void visit(const std::string &path) {
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0) {
            out.push_back({path, system_error_text(errno)});
            return;
        }
        if (S_ISLNK(st.st_mode)) {
            if (!follow_links || stat(path.c_str(), &st) != 0)
                return; // not followed, or a dangling link
        }
        if (S_ISDIR(st.st_mode))
            directory(path, st);
        else if (S_ISREG(st.st_mode))
            out.push_back({path, {}});
    }
};

} // namespace

std::vector<Operand> expand_operands(const std::vector<std::string> &names, bool recursive,
                                     bool follow_links) {
    std::vector<Operand> out;
    Walk walk{follow_links, out, {}};
    for (const std::string &name : names) {
        struct stat st {};
        // An operand is followed like any named file; only what the walk
        // meets is subject to follow_links.
        if (recursive && name != "-" && stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            walk.directory(name, st);
        else
            out.push_back({name, {}});
    }
    return out;
}

} // namespace tvksum
