#pragma once

#include <dlfcn.h>

#include <stdexcept>
#include <string>

#include "tests/support/FakeFtd2xx.h"

// Holds one of the fake D2XX libraries loaded for a test and reaches its
// control block. The link's own dlopen of the same file gets the same copy,
// so the test sees every call the link makes. The control block is reset
// on load and on release.
class FakeFtdiLibrary {
public:
    explicit FakeFtdiLibrary(std::string path) : m_path(std::move(path))
    {
        m_handle = ::dlopen(m_path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!m_handle)
            throw std::runtime_error("cannot load " + m_path);
        auto control = reinterpret_cast<FakeFtdiControl* (*)()>(::dlsym(m_handle, "FakeFtdi_Control"));
        if (!control) {
            ::dlclose(m_handle);
            throw std::runtime_error("no control block in " + m_path);
        }
        m_control = control();
        m_control->Reset();
    }
    ~FakeFtdiLibrary()
    {
        m_control->Reset();
        ::dlclose(m_handle);
    }
    FakeFtdiLibrary(const FakeFtdiLibrary&) = delete;
    FakeFtdiLibrary& operator=(const FakeFtdiLibrary&) = delete;

    const std::string& Path() const { return m_path; }
    FakeFtdiControl& Control() { return *m_control; }
    FakeFtdiControl* operator->() { return m_control; }

private:
    std::string m_path;
    void* m_handle = nullptr;
    FakeFtdiControl* m_control = nullptr;
};
