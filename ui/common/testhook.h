#pragma once
// Base of the test replacements of the dialog services (message boxes, file dialogs, modal windows,
// print preview): while an instance lives it is the current one; instances nest.
template <typename T>
class TestHook {
public:
    TestHook() : m_previous(slot()) { slot() = static_cast<T*>(this); }
    ~TestHook() { slot() = m_previous; }
    TestHook(const TestHook&) = delete;
    TestHook& operator=(const TestHook&) = delete;

    // The innermost live instance, or nullptr outside tests.
    static T* current() { return slot(); }

private:
    static T*& slot()
    {
        static T* s = nullptr;
        return s;
    }
    T* m_previous;
};
