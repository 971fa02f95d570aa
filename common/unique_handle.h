#pragma once
// Move-only owners for registry keys, kernel handles and heap blocks, so that
// every key and file is closed on every path out of the operation that opened it.
#include <windows.h>

template <typename Traits>
class UniqueResource {
public:
    using Type = typename Traits::Type;

    UniqueResource() = default;
    explicit UniqueResource(Type value) : value_(value) {}
    ~UniqueResource() { reset(); }

    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Type get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::Empty(); }

    // For out-parameters of the opening call: closes what is held first.
    Type* put() {
        reset();
        return &value_;
    }
    Type release() {
        Type value = value_;
        value_ = Traits::Empty();
        return value;
    }
    void reset(Type value = Traits::Empty()) {
        if (value_ != Traits::Empty()) Traits::Close(value_);
        value_ = value;
    }

private:
    Type value_ = Traits::Empty();
};

struct KeyTraits {
    using Type = HKEY;
    static Type Empty() { return nullptr; }
    static void Close(Type key) { RegCloseKey(key); }
};

struct FileHandleTraits {
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) { CloseHandle(handle); }
};

struct FindHandleTraits {
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) { FindClose(handle); }
};

struct HeapMemoryTraits {
    using Type = void*;
    static Type Empty() { return nullptr; }
    static void Close(Type memory) { HeapFree(GetProcessHeap(), 0, memory); }
};

using UniqueKey = UniqueResource<KeyTraits>;
using UniqueHandle = UniqueResource<FileHandleTraits>;
using UniqueFindHandle = UniqueResource<FindHandleTraits>;
using UniqueHeapMemory = UniqueResource<HeapMemoryTraits>;
