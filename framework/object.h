#pragma once

// The root of the program's window and application classes, with run-time class names so that
// code can ask what a window object is (the F1 filter asks whether the active window is an
// editor).
namespace brevicor {

struct CRuntimeClass {
    const char* m_lpszClassName;
    const CRuntimeClass* m_pBaseClass; // null for CObject

    // True for this class and for every class it derives from.
    bool IsDerivedFrom(const CRuntimeClass* base) const;
};

class CObject {
public:
    virtual ~CObject() = default;

    static const CRuntimeClass classCObject;
    virtual const CRuntimeClass* GetRuntimeClass() const { return &classCObject; }

    bool IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }

protected:
    CObject() = default;
};

} // namespace brevicor

// In a class derived from CObject: declares its run-time class record.
#define DECLARE_RUNTIME_CLASS(class_name)                                                          \
public:                                                                                            \
    static const ::brevicor::CRuntimeClass class##class_name;                                      \
    const ::brevicor::CRuntimeClass* GetRuntimeClass() const override {                            \
        return &class##class_name;                                                                 \
    }

// In the class's source file: defines the record with its name and its base class.
#define IMPLEMENT_RUNTIME_CLASS(class_name, base_name)                                             \
    const ::brevicor::CRuntimeClass class_name::class##class_name {                                \
#class_name, &base_name::class##base_name                                                  \
    };

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)
