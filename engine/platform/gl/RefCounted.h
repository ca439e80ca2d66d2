#pragma once

// Reference counting for the device's objects: created with one reference, deleted when
// Release() drops the last.
template <typename Interface> class RefCounted : public Interface
{
public:
    unsigned long AddRef() override { return ++m_references; }
    unsigned long Release() override
    {
        unsigned long const left = --m_references;
        if (left == 0) {
            delete this;
        }
        return left;
    }

private:
    unsigned long m_references = 1;
};

// Holds `next` in `held` by reference count: the new object gains a reference before the old
// one loses its own, so setting the same object again keeps it alive.
template <class Held, class Interface> void HoldReference(Held*& held, Interface* next)
{
    if (next) {
        next->AddRef();
    }
    if (held) {
        held->Release();
    }
    held = static_cast<Held*>(next);
}
