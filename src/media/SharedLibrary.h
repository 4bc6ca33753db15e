#pragma once

#include <QString>

#include <initializer_list>
#include <string>
#include <vector>

namespace lumeria::media {

// A family of shared libraries the media layer opens only when a device
// first needs it, so the player starts without them. Every library of the
// family opens and every function resolves, or the family fails as a whole:
// a half-loaded family is never used.
//
// Used once per run and family, from the family's load function: construct,
// resolve every function, then finish().
class SharedLibrary {
public:
    // family names it in the one message a failure gives ("FFmpeg");
    // sonames are opened in order, each by its exact name.
    SharedLibrary(const char* family, std::initializer_list<const char*> sonames);
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Takes the function `name` from the library `index` (of the sonames)
    // into slot, typed as the library's header declares it; leaves it null
    // and keeps the first error when it is missing.
    template <typename Function>
    void resolve(Function& slot, size_t index, const char* name)
    {
        slot = reinterpret_cast<Function>(address(index, name));
    }

    // True when everything opened and resolved. Otherwise writes the
    // loader's reason once to the console; error() keeps it. Libraries are
    // never closed, not even the members of a family that failed: their
    // constructors may already have started threads, registered exit
    // handlers or allocated what only they point to.
    bool finish();
    const QString& error() const { return m_error; }

private:
    void* address(size_t index, const char* name);
    void fail(const char* text);

    const char* m_family;
    std::vector<void*> m_handles;
    QString m_error;
};

// The file a soname is opened from: the soname itself, so the dynamic
// loader searches as it would have for a linked library, unless
// LUMERIA_TEST_LIBRARY_OVERRIDE names another path for its stem (the part
// before ".so"), as "libfluidsynth=/no/such/file". Tests use it to take a
// library away; it is no option of the player.
std::string libraryPath(const char* soname);

} // namespace lumeria::media
