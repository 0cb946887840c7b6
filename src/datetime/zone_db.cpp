#include "datetime/zone_db.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "datetime/tzif_zone.h"

namespace orvel::datetime {

namespace {

char ascii_lower(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool equals_ascii_ci(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    }
    return true;
}

int compare_ascii_ci(std::string_view a, std::string_view b) noexcept {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(ascii_lower(a[i]));
        const auto y = static_cast<unsigned char>(ascii_lower(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool is_name_byte(char c) noexcept {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '+' || c == '-' || c == '/';
}

// A name that could be a relative path inside the database and nothing else.
bool is_safe_zone_name(std::string_view name) noexcept {
    if (name.empty() || name.size() > kMaxZoneNameBytes || name.front() == '/') return false;
    for (char c : name) {
        if (!is_name_byte(c)) return false;
    }
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find('/', start);
        if (end == std::string_view::npos) end = name.size();
        const std::string_view component = name.substr(start, end - start);
        if (component.empty() || component == "." || component == "..") return false;
        start = end + 1;
    }
    return true;
}

bool is_regular_tzif_file(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return false;
    struct stat info;
    char magic[4];
    const bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 44 &&
                    info.st_size <= kMaxTzifFileBytes && ::read(fd, magic, 4) == 4 &&
                    std::string_view(magic, 4) == "TZif";
    ::close(fd);
    return ok;
}

std::unique_ptr<TzifZone> load_tzif(const std::string& path, std::string name) {
    if (!is_regular_tzif_file(path)) return nullptr;
    auto zone = std::make_unique<TzifZone>();
    // An absolute path: the library opens exactly this file.
    if (!absl::LoadTimeZone(path, &zone->zone)) return nullptr;
    zone->name = std::move(name);
    return zone;
}

struct IndexEntry {
    std::string name;
    std::once_flag loaded;
    std::unique_ptr<TzifZone> zone;
};

struct ZoneIndex {
    std::string root;
    std::vector<std::unique_ptr<IndexEntry>> entries;  // sorted ignoring ASCII case
};

void walk(const std::string& root, const std::string& relative, int depth,
          std::vector<std::string>& names) {
    const std::string directory = relative.empty() ? root : root + "/" + relative;
    DIR* dir = ::opendir(directory.c_str());
    if (dir == nullptr) return;
    while (names.size() < kMaxZoneIndexEntries) {
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) break;
        const std::string_view leaf = entry->d_name;
        if (leaf == "." || leaf == "..") continue;
        if (depth == 0 && (leaf == "posix" || leaf == "right")) continue;
        std::string name =
            relative.empty() ? std::string(leaf) : relative + "/" + std::string(leaf);
        if (!is_safe_zone_name(name)) continue;
        struct stat info;
        if (::lstat((root + "/" + name).c_str(), &info) != 0) continue;
        if (S_ISDIR(info.st_mode)) {
            if (depth + 1 < kMaxZoneDirectoryDepth) walk(root, name, depth + 1, names);
        } else if (S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)) {
            names.push_back(std::move(name));
        }
    }
    ::closedir(dir);
}

ZoneIndex build_index() {
    std::vector<std::string> roots;
    if (const char* tzdir = std::getenv("TZDIR"); tzdir != nullptr && *tzdir != '\0') {
        roots.emplace_back(tzdir);
    }
    for (const char* dir : {"/usr/share/zoneinfo", "/usr/share/lib/zoneinfo", "/etc/zoneinfo"}) {
        roots.emplace_back(dir);
    }
    ZoneIndex index;
    for (const std::string& root : roots) {
        std::vector<std::string> names;
        walk(root, "", 0, names);
        if (names.empty()) continue;
        std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
            const int c = compare_ascii_ci(a, b);
            return c != 0 ? c < 0 : a < b;
        });
        index.root = root;
        for (std::string& name : names) {
            auto entry = std::make_unique<IndexEntry>();
            entry->name = std::move(name);
            index.entries.push_back(std::move(entry));
        }
        break;
    }
    return index;
}

const ZoneIndex& zone_index() {
    static const ZoneIndex index = build_index();
    return index;
}

Error not_in_database(std::string_view name) {
    std::string text = "failed to find time zone `";
    text += name;
    text += "` in time zone database";
    return Error::plain(std::move(text));
}

Error no_database(std::string_view name) {
    std::string text = "failed to find time zone `";
    text += name;
    text += "` since there is no time zone database configured";
    return Error::plain(std::move(text));
}

}  // namespace

Result<TimeZone> find_zone(std::string_view name) {
    if (equals_ascii_ci(name, "UTC")) return TimeZone::utc();
    if (equals_ascii_ci(name, "Etc/Unknown")) return TimeZone::unknown();
    const ZoneIndex& index = zone_index();
    if (index.entries.empty()) return unexpected(no_database(name));
    if (!is_safe_zone_name(name)) return unexpected(not_in_database(name));
    auto found =
        std::lower_bound(index.entries.begin(), index.entries.end(), name,
                         [](const std::unique_ptr<IndexEntry>& entry, std::string_view key) {
                             return compare_ascii_ci(entry->name, key) < 0;
                         });
    if (found == index.entries.end() || !equals_ascii_ci((*found)->name, name)) {
        return unexpected(not_in_database(name));
    }
    // Among names equal but for case, the one spelled exactly as asked wins.
    for (auto it = found; it != index.entries.end() && equals_ascii_ci((*it)->name, name); ++it) {
        if ((*it)->name == name) {
            found = it;
            break;
        }
    }
    IndexEntry& entry = **found;
    std::call_once(entry.loaded,
                   [&] { entry.zone = load_tzif(index.root + "/" + entry.name, entry.name); });
    if (!entry.zone) return unexpected(not_in_database(name));
    return TimeZone::tzif(entry.zone.get());
}

std::optional<TimeZone> load_zone_file(const std::string& path) {
    // Bounded: the configuration names few files over a process's life.
    constexpr std::size_t kMaxFiles = 64;
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<TzifZone>, std::less<>> files;
    std::lock_guard<std::mutex> lock(mutex);
    if (auto it = files.find(path); it != files.end()) {
        if (!it->second) return std::nullopt;
        return TimeZone::tzif(it->second.get());
    }
    if (files.size() >= kMaxFiles) return std::nullopt;
    std::unique_ptr<TzifZone> zone = load_tzif(path, "");
    const TzifZone* loaded = zone.get();
    files.emplace(path, std::move(zone));
    if (loaded == nullptr) return std::nullopt;
    return TimeZone::tzif(loaded);
}

}  // namespace orvel::datetime
