#include "dispatch/Dispatch.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>
#include <list>
#include <vector>

namespace {

// Values on their way across the table, with the bytes of their texts.
class OutgoingValues
{
public:
    DispatchValue add(const QVariant& value)
    {
        DispatchValue v{};
        switch (value.typeId()) {
        case QMetaType::UnknownType:
            v.type = DISPATCH_TYPE_EMPTY;
            break;
        case QMetaType::Bool:
            v.type = DISPATCH_TYPE_BOOL;
            v.integer = value.toBool() ? 1 : 0;
            break;
        case QMetaType::Int:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::UChar:
            v.type = DISPATCH_TYPE_LONG;
            v.integer = value.toInt();
            break;
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong: {
            bool fits = false;
            const qlonglong n = value.toLongLong(&fits);
            if (!fits || n < INT32_MIN || n > INT32_MAX)
                throw DispatchError(DISPATCH_E_TYPEMISMATCH, QStringLiteral("The number %1 does not fit a Long.")
                                                                 .arg(value.toString()));
            v.type = DISPATCH_TYPE_LONG;
            v.integer = int32_t(n);
            break;
        }
        case QMetaType::Double:
        case QMetaType::Float:
            v.type = DISPATCH_TYPE_DOUBLE;
            v.real = value.toDouble();
            break;
        case QMetaType::QString: {
            m_texts.push_back(value.toString().toUtf8());
            const QByteArray& bytes = m_texts.back();
            v.type = DISPATCH_TYPE_STRING;
            v.text = bytes.constData();
            v.length = int32_t(bytes.size());
            break;
        }
        default:
            throw DispatchError(DISPATCH_E_TYPEMISMATCH,
                                QStringLiteral("A value of type %1 cannot be passed by dispatch.")
                                    .arg(QString::fromLatin1(value.typeName())));
        }
        return v;
    }

private:
    std::list<QByteArray> m_texts; // stable addresses
};

QVariant fromValue(const DispatchValue& v)
{
    switch (v.type) {
    case DISPATCH_TYPE_BOOL: return QVariant(v.integer != 0);
    case DISPATCH_TYPE_LONG: return QVariant(int(v.integer));
    case DISPATCH_TYPE_DOUBLE: return QVariant(v.real);
    case DISPATCH_TYPE_STRING: return QVariant(QString::fromUtf8(v.text, v.length));
    default: return QVariant();
    }
}

QVariantList fromValues(const DispatchValue* values, int32_t count)
{
    QVariantList list;
    for (int32_t i = 0; i < count; ++i)
        list << fromValue(values[i]);
    return list;
}

void storeValue(void* context, const char*, const DispatchValue* value)
{
    *static_cast<QVariant*>(context) = value ? fromValue(*value) : QVariant();
}

void storeProperty(void* context, const char* name, const DispatchValue* value)
{
    if (name && value)
        static_cast<QVariantMap*>(context)->insert(QString::fromUtf8(name), fromValue(*value));
}

// The serving side of one object.
struct ServedObject : DispatchObject
{
    std::unique_ptr<DispatchTarget> target;
    std::function<void()> onRelease;
    DispatchEventSink sink = nullptr;
    void* sinkContext = nullptr;
};

ServedObject* served(DispatchObject* self)
{
    return static_cast<ServedObject*>(self);
}

// Hands a value to the caller's sink; a value that cannot be passed is
// reported as a type mismatch.
int32_t deliver(DispatchValueSink sink, void* context, const QVariant& value)
{
    OutgoingValues out;
    DispatchValue v;
    try {
        v = out.add(value);
    } catch (const DispatchError& e) {
        const DispatchValue text = out.add(e.description());
        if (sink)
            sink(context, nullptr, &text);
        return e.code();
    }
    if (sink)
        sink(context, nullptr, &v);
    return DISPATCH_OK;
}

int32_t serveInvoke(DispatchObject* self, int32_t dispid, int32_t kind, const DispatchValue* args, int32_t count,
                    DispatchValueSink sink, void* context)
{
    QString failure;
    int32_t code = DISPATCH_E_EXCEPTION;
    try {
        const QVariant result = served(self)->target->Invoke(dispid, kind, fromValues(args, count));
        return deliver(sink, context, result);
    } catch (const DispatchError& e) {
        code = e.code();
        failure = e.description();
    } catch (const std::exception& e) {
        failure = QString::fromLocal8Bit(e.what());
    } catch (...) {
        failure = QStringLiteral("The member failed with an unexpected error.");
    }
    deliver(sink, context, failure);
    return code;
}

void serveAdvise(DispatchObject* self, DispatchEventSink sink, void* context)
{
    ServedObject* object = served(self);
    object->sink = sink;
    object->sinkContext = context;
    if (!sink) {
        object->target->SetEventHandler({});
        return;
    }
    object->target->SetEventHandler([object](int dispid, const QVariantList& eventArgs) {
        if (!object->sink)
            return;
        OutgoingValues out;
        std::vector<DispatchValue> values;
        for (const QVariant& a : eventArgs)
            values.push_back(out.add(a));
        object->sink(object->sinkContext, dispid, values.data(), int32_t(values.size()));
    });
}

template <typename Fn>
void guarded(Fn&& fn)
{
    // Nothing may unwind across the table.
    try {
        fn();
    } catch (...) {
    }
}

void serveInitNew(DispatchObject* self)
{
    guarded([&] { served(self)->target->InitNew(); });
}

void serveLoad(DispatchObject* self, const char* const* names, const DispatchValue* values, int32_t count)
{
    QVariantMap properties;
    for (int32_t i = 0; i < count; ++i)
        properties.insert(QString::fromUtf8(names[i]), fromValue(values[i]));
    guarded([&] { served(self)->target->Load(properties); });
}

void serveSave(DispatchObject* self, DispatchValueSink sink, void* context)
{
    guarded([&] {
        const QVariantMap properties = served(self)->target->Save();
        OutgoingValues out;
        for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
            const DispatchValue v = out.add(it.value());
            sink(context, it.key().toUtf8().constData(), &v);
        }
    });
}

void serveRelease(DispatchObject* self)
{
    ServedObject* object = served(self);
    std::function<void()> onRelease = std::move(object->onRelease);
    guarded([&] { object->target.reset(); });
    delete object;
    if (onRelease)
        onRelease();
}

const DispatchObjectTable kServedTable = {
    DISPATCH_ABI_VERSION, serveInvoke, serveAdvise, serveInitNew, serveLoad, serveSave, serveRelease,
};

} // namespace

DispatchError::DispatchError(int32_t code, const QString& description)
    : std::runtime_error(description.toLocal8Bit().toStdString())
    , m_code(code)
    , m_description(description)
{
}

struct DispatchClient::EventBridge
{
    DispatchEventHandler handler;

    static void deliver(void* context, int32_t dispid, const DispatchValue* args, int32_t count)
    {
        auto* bridge = static_cast<EventBridge*>(context);
        if (bridge->handler)
            bridge->handler(dispid, fromValues(args, count));
    }
};

DispatchClient::DispatchClient(DispatchObject* object, std::shared_ptr<DispatchLibrary> library)
    : m_object(object)
    , m_library(std::move(library))
{
}

DispatchClient::~DispatchClient()
{
    if (m_object) {
        m_object->table->advise(m_object, nullptr, nullptr);
        m_object->table->release(m_object);
    }
}

QVariant DispatchClient::Invoke(int dispid, int kind, const QVariantList& args)
{
    OutgoingValues out;
    std::vector<DispatchValue> values;
    for (const QVariant& a : args)
        values.push_back(out.add(a));
    QVariant result;
    const int32_t code =
        m_object->table->invoke(m_object, dispid, kind, values.data(), int32_t(values.size()), storeValue, &result);
    if (code != DISPATCH_OK) {
        QString description = result.toString();
        if (description.isEmpty())
            description = QStringLiteral("The call of member 0x%1 failed (0x%2).")
                              .arg(quint32(dispid), 8, 16, QLatin1Char('0'))
                              .arg(quint32(code), 8, 16, QLatin1Char('0'));
        throw DispatchError(code, description);
    }
    return result;
}

void DispatchClient::Advise(DispatchEventHandler handler)
{
    if (!handler) {
        m_object->table->advise(m_object, nullptr, nullptr);
        m_events.reset();
        return;
    }
    if (!m_events)
        m_events = std::make_unique<EventBridge>();
    m_events->handler = std::move(handler);
    m_object->table->advise(m_object, &EventBridge::deliver, m_events.get());
}

void DispatchClient::InitNew()
{
    m_object->table->initNew(m_object);
}

void DispatchClient::Load(const QVariantMap& properties)
{
    OutgoingValues out;
    std::vector<QByteArray> names;
    std::vector<DispatchValue> values;
    for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
        names.push_back(it.key().toUtf8());
        values.push_back(out.add(it.value()));
    }
    std::vector<const char*> namePointers;
    for (const QByteArray& n : names)
        namePointers.push_back(n.constData());
    m_object->table->load(m_object, namePointers.data(), values.data(), int32_t(values.size()));
}

QVariantMap DispatchClient::Save()
{
    QVariantMap properties;
    m_object->table->save(m_object, storeProperty, &properties);
    return properties;
}

DispatchLibrary::DispatchLibrary(void* handle, QString path, DispatchCreateObjectFunction create,
                                 DispatchCanUnloadNowFunction canUnload)
    : m_handle(handle)
    , m_path(std::move(path))
    , m_create(create)
    , m_canUnload(canUnload)
{
}

std::shared_ptr<DispatchLibrary> DispatchLibrary::Open(const QString& path, QString& error)
{
    if (!QFileInfo(path).isFile()) {
        error = QStringLiteral("The library %1 does not exist.").arg(path);
        return nullptr;
    }
    void* handle = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!handle) {
        error = QStringLiteral("The library %1 cannot be loaded: %2").arg(path, QString::fromLocal8Bit(::dlerror()));
        return nullptr;
    }
    auto create = reinterpret_cast<DispatchCreateObjectFunction>(::dlsym(handle, DISPATCH_CREATE_OBJECT_SYMBOL));
    auto canUnload = reinterpret_cast<DispatchCanUnloadNowFunction>(::dlsym(handle, DISPATCH_CAN_UNLOAD_NOW_SYMBOL));
    if (!create || !canUnload) {
        error = QStringLiteral("The library %1 serves no objects (%2 is missing).")
                    .arg(path, QString::fromLatin1(create ? DISPATCH_CAN_UNLOAD_NOW_SYMBOL : DISPATCH_CREATE_OBJECT_SYMBOL));
        ::dlclose(handle);
        return nullptr;
    }
    return std::make_shared<DispatchLibrary>(handle, path, create, canUnload);
}

std::unique_ptr<DispatchClient> DispatchLibrary::CreateObject(const QString& progId)
{
    DispatchObject* object = nullptr;
    const int32_t code = m_create(progId.toUtf8().constData(), DISPATCH_ABI_VERSION, &object);
    if (code != DISPATCH_OK || !object) {
        const QString why = code == DISPATCH_E_ABIMISMATCH
            ? QStringLiteral("The library %1 was built for another version of this program.").arg(m_path)
            : QStringLiteral("The library %1 has no class %2.").arg(m_path, progId);
        throw DispatchError(code == DISPATCH_OK ? DISPATCH_E_CLASSNOTAVAILABLE : code, why);
    }
    return std::make_unique<DispatchClient>(object, shared_from_this());
}

bool DispatchLibrary::CanUnloadNow() const
{
    return m_canUnload() != 0;
}

void DispatchTarget::RaiseEvent(int dispid, const QVariantList& args) const
{
    if (m_events)
        m_events(dispid, args);
}

void RequireArgumentCount(const QVariantList& args, int count)
{
    if (args.size() != count)
        throw DispatchError(DISPATCH_E_BADPARAMCOUNT,
                            QStringLiteral("The member takes %1 argument(s), not %2.").arg(count).arg(args.size()));
}

DispatchObject* ExposeDispatchTarget(std::unique_ptr<DispatchTarget> target, std::function<void()> onRelease)
{
    auto* object = new ServedObject;
    object->table = &kServedTable;
    object->target = std::move(target);
    object->onRelease = std::move(onRelease);
    return object;
}
