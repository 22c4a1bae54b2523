#pragma once
// Singleton holder: g_Instance keeps one reference on the service.
// Services with constructor arguments declare their own CreateInstance.

namespace ZQ2 {

template <class T>
class iInstance {
public:
    virtual ~iInstance() = default;

    static inline T* g_Instance = nullptr;

    static void CreateInstance() {
        g_Instance = new T();
        g_Instance->AddRef();
    }

    // Drops the reference that g_Instance holds and clears it.
    static void ReleaseInstance() {
        T* instance = g_Instance;
        g_Instance = nullptr;
        if (instance)
            instance->Release();
    }
};

}  // namespace ZQ2
