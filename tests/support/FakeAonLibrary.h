#pragma once

#include <dlfcn.h>

#include <stdexcept>
#include <string>

#include "tests/support/FakeAon.h"

// Holds the fake caller-ID library loaded for a test and reaches its
// control block. The loader's dlopen of the same file gets the same copy.
// The control block is reset on load and on release.
class FakeAonLibrary {
public:
    explicit FakeAonLibrary(std::string path) : m_path(std::move(path))
    {
        m_handle = ::dlopen(m_path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!m_handle)
            throw std::runtime_error("cannot load " + m_path);
        auto control = reinterpret_cast<FakeAonControl* (*)()>(::dlsym(m_handle, "FakeAon_Control"));
        if (!control) {
            ::dlclose(m_handle);
            throw std::runtime_error("no control block in " + m_path);
        }
        m_control = control();
        m_control->Reset();
    }
    ~FakeAonLibrary()
    {
        m_control->Reset();
        ::dlclose(m_handle);
    }
    FakeAonLibrary(const FakeAonLibrary&) = delete;
    FakeAonLibrary& operator=(const FakeAonLibrary&) = delete;

    FakeAonControl* operator->() { return m_control; }

private:
    std::string m_path;
    void* m_handle = nullptr;
    FakeAonControl* m_control = nullptr;
};
