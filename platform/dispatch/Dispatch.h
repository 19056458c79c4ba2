#pragma once
// Late binding by dispatch id (DispatchAbi.h) for C++: the host's side (a
// library loaded at run time, objects created by name and called by id,
// their events) and the serving side (a C++ object exposed through the
// table). A host never links a serving library: it finds it at run time.
#include "dispatch/DispatchAbi.h"

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <stdexcept>

// A call that failed: the result code of the table and, for a member that
// failed (DISPATCH_E_EXCEPTION), the member's own description.
class DispatchError : public std::runtime_error
{
public:
    DispatchError(int32_t code, const QString& description);
    int32_t code() const { return m_code; }
    const QString& description() const { return m_description; }

private:
    int32_t m_code;
    QString m_description;
};

// An event: its dispatch id and its arguments.
using DispatchEventHandler = std::function<void(int dispid, const QVariantList& args)>;

class DispatchLibrary;

// The host's side of one object. Destroying it releases the object.
class DispatchClient
{
public:
    // Takes over `object`. `library` is the library that serves it (null
    // for an object served by this process itself).
    explicit DispatchClient(DispatchObject* object, std::shared_ptr<DispatchLibrary> library = {});
    ~DispatchClient();
    DispatchClient(const DispatchClient&) = delete;
    DispatchClient& operator=(const DispatchClient&) = delete;

    // Calls a member; throws DispatchError when the call fails. Values are
    // bool, int, double, QString or empty.
    QVariant Invoke(int dispid, int kind, const QVariantList& args = {});
    QVariant Get(int dispid) { return Invoke(dispid, DISPATCH_PROPERTYGET); }
    void Put(int dispid, const QVariant& value) { Invoke(dispid, DISPATCH_PROPERTYPUT, {value}); }
    QVariant Call(int dispid, const QVariantList& args = {}) { return Invoke(dispid, DISPATCH_METHOD, args); }

    // Events go to `handler` from now on; an empty one detaches.
    void Advise(DispatchEventHandler handler);

    // The object's start: new with default properties, or with properties
    // saved before; and saving them.
    void InitNew();
    void Load(const QVariantMap& properties);
    QVariantMap Save();

private:
    struct EventBridge;
    DispatchObject* m_object;
    std::shared_ptr<DispatchLibrary> m_library;
    std::unique_ptr<EventBridge> m_events;
};

// A library that serves objects, loaded at run time (dlopen). Once loaded
// it stays mapped for the life of the process: a library that started
// threads or registered types of its own cannot be unmapped safely.
class DispatchLibrary : public std::enable_shared_from_this<DispatchLibrary>
{
public:
    // Null, with `error` saying why, when the file cannot be loaded or does
    // not serve objects.
    static std::shared_ptr<DispatchLibrary> Open(const QString& path, QString& error);

    // A new object of the class `progId`; throws DispatchError when the
    // library has no such class.
    std::unique_ptr<DispatchClient> CreateObject(const QString& progId);

    // True when no object of the library is alive.
    bool CanUnloadNow() const;
    QString path() const { return m_path; }

    DispatchLibrary(void* handle, QString path, DispatchCreateObjectFunction create,
                    DispatchCanUnloadNowFunction canUnload);

private:
    void* m_handle;
    QString m_path;
    DispatchCreateObjectFunction m_create;
    DispatchCanUnloadNowFunction m_canUnload;
};

// The serving side: what a C++ object implements to be called by id.
class DispatchTarget
{
public:
    virtual ~DispatchTarget() = default;

    // Runs a member. Throws DispatchError for an unknown member or a wrong
    // number of arguments; any other exception is reported to the caller
    // as the member's failure with its text.
    virtual QVariant Invoke(int dispid, int kind, const QVariantList& args) = 0;
    virtual void InitNew() {}
    virtual void Load(const QVariantMap& properties) { Q_UNUSED(properties); }
    virtual QVariantMap Save() { return {}; }

    // Hands an event to the host's sink, if one is attached.
    void RaiseEvent(int dispid, const QVariantList& args) const;
    void SetEventHandler(DispatchEventHandler handler) { m_events = std::move(handler); }

private:
    DispatchEventHandler m_events;
};

// Throws DispatchError(DISPATCH_E_BADPARAMCOUNT) unless `args` holds `count`
// values.
void RequireArgumentCount(const QVariantList& args, int count);

// The table object serving `target`. Releasing it deletes the target, then
// runs `onRelease`.
DispatchObject* ExposeDispatchTarget(std::unique_ptr<DispatchTarget> target, std::function<void()> onRelease = {});
