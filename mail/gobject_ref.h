#pragma once

#include <glib-object.h>

#include <utility>

namespace mail {

// An owning reference to a GObject: unrefs on destruction, refs on copy.
// adopt() takes over a reference the caller already owns (GMime's "transfer full");
// retain() adds a reference of its own to a borrowed object ("transfer none").
template <typename T> class GObjectRef {
public:
    GObjectRef() noexcept = default;
    GObjectRef(std::nullptr_t) noexcept {}

    static GObjectRef adopt(T* object) noexcept { return GObjectRef(object); }
    static GObjectRef retain(T* object) noexcept
    {
        if (object)
            g_object_ref(object);
        return GObjectRef(object);
    }

    GObjectRef(const GObjectRef& other) noexcept : m_object(other.m_object)
    {
        if (m_object)
            g_object_ref(m_object);
    }
    GObjectRef(GObjectRef&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    GObjectRef& operator=(GObjectRef other) noexcept
    {
        std::swap(m_object, other.m_object);
        return *this;
    }
    ~GObjectRef() { reset(); }

    void reset() noexcept
    {
        if (T* old = std::exchange(m_object, nullptr))
            g_object_unref(old);
    }

    // Gives the reference back to the caller, who must unref it.
    [[nodiscard]] T* release() noexcept { return std::exchange(m_object, nullptr); }

    T* get() const noexcept { return m_object; }
    explicit operator bool() const noexcept { return m_object != nullptr; }

private:
    explicit GObjectRef(T* object) noexcept : m_object(object) {}

    T* m_object = nullptr;
};

} // namespace mail
