#include "media/SharedLibrary.h"

#include <dlfcn.h>

#include <cstdlib>
#include <iostream>
#include <string_view>

namespace lumeria::media {

std::string libraryPath(const char* soname)
{
    const char* overrides = std::getenv("LUMERIA_TEST_LIBRARY_OVERRIDE");
    const std::string_view name(soname);
    const std::string_view stem = name.substr(0, name.find(".so"));
    if (overrides) {
        std::string_view rest(overrides);
        while (!rest.empty()) {
            const size_t comma = rest.find(',');
            const std::string_view entry = rest.substr(0, comma);
            rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
            const size_t equals = entry.find('=');
            if (equals != std::string_view::npos && entry.substr(0, equals) == stem)
                return std::string(entry.substr(equals + 1));
        }
    }
    return std::string(name);
}

SharedLibrary::SharedLibrary(const char* family, std::initializer_list<const char*> sonames) : m_family(family)
{
    for (const char* soname : sonames) {
        if (!m_error.isEmpty())
            break;
        // Immediate binding: a library that cannot resolve its own
        // dependencies fails here, not at some later call in a worker.
        void* handle = dlopen(libraryPath(soname).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            fail(dlerror());
        m_handles.push_back(handle);
    }
}

void SharedLibrary::fail(const char* text)
{
    if (m_error.isEmpty())
        m_error = QString::fromLocal8Bit(text ? text : "unknown error");
}

void* SharedLibrary::address(size_t index, const char* name)
{
    if (!m_error.isEmpty())
        return nullptr;
    if (index >= m_handles.size()) {
        fail(name);
        return nullptr;
    }
    dlerror();
    void* symbol = dlsym(m_handles[index], name);
    if (!symbol) {
        const char* why = dlerror();
        fail(why ? why : name);
    }
    return symbol;
}

bool SharedLibrary::finish()
{
    if (m_error.isEmpty())
        return true;
    std::cerr << "lumeria: " << m_family << " cannot be loaded (" << m_error.toStdString()
              << "); media that need it will not play\n";
    return false;
}

} // namespace lumeria::media
