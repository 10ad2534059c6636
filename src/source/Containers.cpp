#include "source/Containers.h"

#if !defined(_WIN32)
#include <archive.h>
#include <archive_entry.h>
#include <clocale>
#include <dlfcn.h>
#include <locale.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#endif

namespace zu {

namespace {

// A member over the limit is passed over unread; in a compressed stream that
// still means decompressing what it declares, so a larger declaration ends
// the reading there (an archive bomb costs nothing).
constexpr int64_t kMostSkippedInStream = int64_t{64} << 20;

}  // namespace

// The formats whose marks stand at known places; anything else is a file.
bool MayBeContainer(std::string_view b) {
  auto startsWith = [&](std::string_view mark) { return b.substr(0, mark.size()) == mark; };
  if (startsWith("\x1f\x8b") || startsWith("BZh") || startsWith("\xfd" "7zXZ\0") ||
      startsWith("PK\x03\x04") || startsWith("PK\x05\x06") || startsWith("7z\xbc\xaf\x27\x1c")) {
    return true;
  }
  const bool lzh = b.size() > 7 && b[2] == '-' && b[3] == 'l' && (b[4] == 'h' || b[4] == 'z') && b[6] == '-';
  return lzh || (b.size() > 262 && b.substr(257, 5) == "ustar");
}

#if defined(_WIN32)

// Debian has no libarchive for mingw-w64. A file that shows a mark is named
// as what it is instead of being read as a log that holds nothing.
ContainerListing ReadContainer(std::string_view bytes, int64_t, const std::function<bool(int32_t index)>&,
                               const std::function<void(ContainerEntry&)>&) {
  ContainerListing listing;
  if (!MayBeContainer(bytes)) return listing;
  listing.kind = ContainerKind::Unreadable;
  listing.broken = NoContainerReader;
  return listing;
}

#else

namespace {

// libarchive is loaded when a file first shows an archive's or compression's
// mark, not at start: with the libraries it pulls in (ICU among them) it
// would cost the dump tool several milliseconds on every run.
#define ZU_ARCHIVE_FUNCTIONS(X) \
  X(archive_entry_filetype) \
  X(archive_entry_hardlink) \
  X(archive_entry_is_encrypted) \
  X(archive_entry_pathname) \
  X(archive_entry_pathname_utf8) \
  X(archive_entry_pathname_w) \
  X(archive_entry_size) \
  X(archive_entry_size_is_set) \
  X(archive_entry_symlink) \
  X(archive_error_string) \
  X(archive_filter_code) \
  X(archive_filter_count) \
  X(archive_filter_name) \
  X(archive_format) \
  X(archive_format_name) \
  X(archive_read_data) \
  X(archive_read_free) \
  X(archive_read_header_position) \
  X(archive_read_new) \
  X(archive_read_next_header) \
  X(archive_read_open_memory) \
  X(archive_read_set_options) \
  X(archive_read_support_filter_bzip2) \
  X(archive_read_support_filter_gzip) \
  X(archive_read_support_filter_xz) \
  X(archive_read_support_format_7zip) \
  X(archive_read_support_format_lha) \
  X(archive_read_support_format_raw) \
  X(archive_read_support_format_tar) \
  X(archive_read_support_format_zip)

// The library as Debian 12 ships it (package libarchive13).
constexpr const char* kArchiveLibrary = "libarchive.so.13";

struct ArchiveLibrary {
#define ZU_ARCHIVE_MEMBER(name) decltype(&::name) name = nullptr;
  ZU_ARCHIVE_FUNCTIONS(ZU_ARCHIVE_MEMBER)
#undef ZU_ARCHIVE_MEMBER
};

// The library, or null when it cannot be loaded (archives are then no
// containers to the program, and fail as files that hold no log).
const ArchiveLibrary* Library() {
  static const ArchiveLibrary* const loaded = [] () -> const ArchiveLibrary* {
    void* handle = dlopen(kArchiveLibrary, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return nullptr;
    static ArchiveLibrary library;
    bool complete = true;
#define ZU_ARCHIVE_LOAD(name)                                                  \
  library.name = reinterpret_cast<decltype(&::name)>(dlsym(handle, #name)); \
  complete = complete && library.name != nullptr;
    ZU_ARCHIVE_FUNCTIONS(ZU_ARCHIVE_LOAD)
#undef ZU_ARCHIVE_LOAD
    return complete ? &library : nullptr;
  }();
  return loaded;
}

const ArchiveLibrary& Lib() { return *Library(); }

struct ArchiveDeleter {
  void operator()(archive* a) const { Lib().archive_read_free(a); }
};

// libarchive names files through the locale's character set; the program
// may run in the C locale, whose ASCII cannot hold a Japanese name. Reading
// runs in a UTF-8 locale of this thread only.
class Utf8Locale {
 public:
  Utf8Locale() : utf8_(newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr)) {
    if (utf8_ != nullptr) previous_ = uselocale(utf8_);
  }
  ~Utf8Locale() {
    if (utf8_ == nullptr) return;
    uselocale(previous_);
    freelocale(utf8_);
  }
  Utf8Locale(const Utf8Locale&) = delete;
  Utf8Locale& operator=(const Utf8Locale&) = delete;

 private:
  locale_t utf8_;
  locale_t previous_ = nullptr;
};

std::unique_ptr<archive, ArchiveDeleter> OpenArchive(std::string_view bytes) {
  std::unique_ptr<archive, ArchiveDeleter> a(Lib().archive_read_new());
  if (!a) return a;
  Lib().archive_read_support_filter_gzip(a.get());
  Lib().archive_read_support_filter_bzip2(a.get());
  Lib().archive_read_support_filter_xz(a.get());
  Lib().archive_read_support_format_lha(a.get());
  Lib().archive_read_support_format_zip(a.get());
  Lib().archive_read_support_format_7zip(a.get());
  Lib().archive_read_support_format_tar(a.get());
  Lib().archive_read_support_format_raw(a.get());
  // LZH names carry no character set: read as Latin-1 every byte is one
  // character, so the stored bytes come back unchanged.
  Lib().archive_read_set_options(a.get(), "lha:hdrcharset=ISO-8859-1");
  if (Lib().archive_read_open_memory(a.get(), bytes.data(), bytes.size()) != ARCHIVE_OK) a.reset();
  return a;
}

// The name as stored. LZH names come back as Latin-1 characters, one per
// stored byte; a name that libarchive reads as Unicode (7z, flagged ZIP)
// is written in UTF-8, by libarchive, where its mbs form cannot be had.
std::string StoredName(archive_entry* e, bool latin1) {
  if (const wchar_t* wide = Lib().archive_entry_pathname_w(e); latin1 && wide != nullptr) {
    const wchar_t* end = wide + std::wcslen(wide);
    if (std::all_of(wide, end, [](wchar_t w) { return w <= 0xFF; })) return std::string(wide, end);
  }
  if (const char* mbs = Lib().archive_entry_pathname(e); mbs != nullptr && *mbs != 0) return mbs;
  const char* utf8 = Lib().archive_entry_pathname_utf8(e);
  return utf8 != nullptr ? utf8 : "";
}

bool HasParentStep(std::string_view name) {
  for (size_t at = 0; at <= name.size();) {
    size_t end = name.find('/', at);
    if (end == std::string_view::npos) end = name.size();
    if (name.substr(at, end - at) == "..") return true;
    at = end + 1;
  }
  return false;
}

uint32_t Little16(std::string_view b, size_t at) {
  return at + 1 < b.size() ? static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8 : 0;
}

// The length that the header at `at` gives its name, for the formats that
// store one (LZH, ZIP); -1 for others. libarchive ends a name at a NUL, so a
// longer stored name is one that holds a NUL.
int64_t StoredNameLength(std::string_view b, size_t at, bool lha) {
  if (!lha) return b.substr(at, 4) == "PK\x03\x04" ? Little16(b, at + 26) : -1;
  if (at + 26 > b.size()) return -1;
  const int level = b[at + 20];
  if (level == 0 || level == 1) return static_cast<unsigned char>(b[at + 21]);
  if (level != 2) return -1;
  // Extended headers: a size (that of the next one), then type, data, size.
  size_t next = Little16(b, at + 24);
  for (size_t q = at + 26; next >= 3 && q + next <= b.size(); q += next, next = Little16(b, q - 2)) {
    if (b[q] == '\x01') return static_cast<int64_t>(next) - 3;
  }
  return -1;
}

// Why an entry is not read as a file, or "" when it is.
std::string RefusalOf(archive_entry* e, const std::string& name, int64_t storedLength) {
  if (Lib().archive_entry_is_encrypted(e)) return "encrypted";
  if (storedLength > static_cast<int64_t>(name.size())) return "a name with NUL";
  if (Lib().archive_entry_hardlink(e) != nullptr || Lib().archive_entry_symlink(e) != nullptr) return "a link";
  if (Lib().archive_entry_filetype(e) != AE_IFREG) return "not a regular file";
  if (name.empty()) return "no name";
  if (HasParentStep(name)) return "a name with ..";
  return {};
}

// Reads at most limit + 1 bytes of the entry's data into `data`; false,
// with `error` set, when the data is damaged.
bool ReadData(archive* a, int64_t limit, KeptBytes& data, std::string& error) {
  char block[65536];
  for (;;) {
    const auto want = static_cast<size_t>(std::min<int64_t>(sizeof block, limit + 1 - static_cast<int64_t>(data.size())));
    if (want == 0) return true;  // one byte past the limit: enough to know
    const la_ssize_t n = Lib().archive_read_data(a, block, want);
    if (n < 0) {
      const char* why = Lib().archive_error_string(a);
      error = why != nullptr ? why : "damaged";
      return false;
    }
    if (n == 0) return true;
    data.append(block, static_cast<size_t>(n));
  }
}

std::string FormatName(archive* a) {
  std::string name;
  for (int k = Lib().archive_filter_count(a) - 1; k >= 0; --k) {
    if (Lib().archive_filter_code(a, k) == ARCHIVE_FILTER_NONE) continue;
    if (!name.empty()) name += "+";
    name += Lib().archive_filter_name(a, k);
  }
  if (Lib().archive_format(a) != ARCHIVE_FORMAT_RAW) {
    if (!name.empty()) name += "+";
    name += Lib().archive_format_name(a);
  }
  return name;
}

}  // namespace

ContainerListing ReadContainer(std::string_view bytes, int64_t limit,
                               const std::function<bool(int32_t index)>& wantData,
                               const std::function<void(ContainerEntry&)>& visit) {
  ContainerListing listing;
  if (!MayBeContainer(bytes) || Library() == nullptr) return listing;
  Utf8Locale utf8;
  const auto a = OpenArchive(bytes);
  if (!a) return listing;
  archive_entry* e = nullptr;
  int status = Lib().archive_read_next_header(a.get(), &e);
  if (status != ARCHIVE_OK && status != ARCHIVE_WARN) return listing;  // not one of the formats
  const bool raw = Lib().archive_format(a.get()) == ARCHIVE_FORMAT_RAW;
  if (raw && Lib().archive_filter_count(a.get()) <= 1) return listing;  // plain bytes after all
  listing.kind = raw ? ContainerKind::Compressed : ContainerKind::Archive;
  const bool lha = (Lib().archive_format(a.get()) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_LHA;
  const bool zip = (Lib().archive_format(a.get()) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_ZIP;
  const bool sevenZip = (Lib().archive_format(a.get()) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_7ZIP;
  // Passing over a member decompresses it in a compressed stream, and in a
  // 7z block of several members.
  const bool streamed = Lib().archive_filter_count(a.get()) > 1 || sevenZip;
  // Where the headers stand in `bytes` and store their names' lengths.
  const bool namesMeasured = Lib().archive_filter_count(a.get()) <= 1 && (lha || zip);
  for (int32_t index = 0; status == ARCHIVE_OK || status == ARCHIVE_WARN; ++index) {
    listing.format = FormatName(a.get());
    ContainerEntry entry;
    entry.index = index;
    entry.name = raw ? std::string() : StoredName(e, lha);
    entry.directory = Lib().archive_entry_filetype(e) == AE_IFDIR;
    const auto at = static_cast<size_t>(std::max<la_int64_t>(0, Lib().archive_read_header_position(a.get())));
    entry.refusal = raw ? std::string() : RefusalOf(e, entry.name, namesMeasured ? StoredNameLength(bytes, at, lha) : -1);
    const bool read = !entry.directory && entry.refusal.empty() && (raw || wantData(index));
    std::string error;
    const int64_t declared = Lib().archive_entry_size_is_set(e) ? Lib().archive_entry_size(e) : 0;
    // Taken at once where the size is stated: a member's bytes grown step by
    // step would touch every page twice.
    if (read && declared > 0) entry.data.reserve(static_cast<size_t>(std::min(declared, limit + 1)));
    if (read && !ReadData(a.get(), limit, entry.data, error)) entry.refusal = "damaged: " + error;
    const bool overLimit = static_cast<int64_t>(entry.data.size()) > limit;
    visit(entry);
    if (!error.empty()) break;  // the damaged member says so; nothing after it can be read
    if (streamed && (overLimit || !read) && declared > kMostSkippedInStream) {
      listing.broken = "a member too large to pass over";
      break;
    }
    status = Lib().archive_read_next_header(a.get(), &e);
  }
  if (status == ARCHIVE_FATAL && listing.broken.empty()) {
    const char* why = Lib().archive_error_string(a.get());
    listing.broken = why != nullptr ? why : "damaged";
  }
  return listing;
}

#endif

}  // namespace zu
