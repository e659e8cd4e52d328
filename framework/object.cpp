#include "framework/object.h"

namespace brevicor {

const CRuntimeClass CObject::classCObject{"CObject", nullptr};

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
    for (const CRuntimeClass* cls = this; cls != nullptr; cls = cls->m_pBaseClass) {
        if (cls == base) {
            return true;
        }
    }
    return false;
}

} // namespace brevicor
