#include "model/RuntimeClass.h"

#include "model/MediaNode.h"
#include "model/PhotoNode.h"

#include <cstring>

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const
{
    for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
        if (c == base)
            return true;
    return false;
}

const CRuntimeClass* CRuntimeClass::FromName(const char* name, size_t length)
{
    // Only the two node classes ever appear in files; CBaseNode is never stored.
    const CRuntimeClass* classes[] = {&CPhotoNode::classCPhotoNode, &CMediaNode::classCMediaNode};
    for (const CRuntimeClass* c : classes)
        if (std::strlen(c->m_lpszClassName) == length &&
            std::memcmp(c->m_lpszClassName, name, length) == 0)
            return c;
    return nullptr;
}
