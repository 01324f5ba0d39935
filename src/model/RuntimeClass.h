#pragma once
// Run-time class records of the serialisable node classes: the name and schema
// that Picture Book files store, and how to create an empty object by name.

#include <cstddef>

class CBaseNode;

struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_wSchema;
    CBaseNode* (*m_pfnCreateObject)();
    const CRuntimeClass* m_pBaseClass;

    bool IsDerivedFrom(const CRuntimeClass* base) const;
    // The serialisable class stored under exactly this name, or null.
    static const CRuntimeClass* FromName(const char* name, size_t length);
};
