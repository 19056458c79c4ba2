#include "QuaystoneDispatch.h"

#include "QuaystoneCtrl.h"
#include "QuaystoneIds.h"

namespace {

bool argBool(const QVariantList& args, int i)
{
    if (!args.at(i).canConvert<bool>())
        throw DispatchError(DISPATCH_E_TYPEMISMATCH, QStringLiteral("Argument %1 is not a Boolean.").arg(i + 1));
    return args.at(i).toBool();
}

int argLong(const QVariantList& args, int i)
{
    bool ok = false;
    const int n = args.at(i).toInt(&ok);
    if (!ok)
        throw DispatchError(DISPATCH_E_TYPEMISMATCH, QStringLiteral("Argument %1 is not a Long.").arg(i + 1));
    return n;
}

QString argString(const QVariantList& args, int i)
{
    return args.at(i).toString();
}

class QuaystoneTarget : public DispatchTarget
{
public:
    explicit QuaystoneTarget(std::shared_ptr<WordAutomation> automation)
        : m_ctrl(std::move(automation))
    {
        m_ctrl.OnError = [this](int lErr, const QString& sErr) {
            RaiseEvent(quaystone::dispid::OnError, {lErr, sErr});
        };
    }

    QVariant Invoke(int dispid, int kind, const QVariantList& args) override
    {
        try {
            return invoke(dispid, kind, args);
        } catch (const QuaystoneError& e) {
            throw DispatchError(DISPATCH_E_EXCEPTION, e.description);
        }
    }

    void InitNew() override { m_ctrl.InitProperties(); }
    void Load(const QVariantMap& properties) override { m_ctrl.ReadProperties(properties); }
    QVariantMap Save() override { return m_ctrl.WriteProperties(); }

private:
    // A property: the get, or a let with one argument.
    template <typename Get, typename Let>
    QVariant property(int kind, const QVariantList& args, Get get, Let let)
    {
        if (kind & DISPATCH_PROPERTYPUT) {
            RequireArgumentCount(args, 1);
            let(args);
            return QVariant();
        }
        RequireArgumentCount(args, 0);
        return get();
    }

    template <typename Get>
    QVariant readOnly(int kind, const QVariantList& args, Get get)
    {
        if (kind & DISPATCH_PROPERTYPUT)
            throw DispatchError(DISPATCH_E_MEMBERNOTFOUND, QStringLiteral("The property cannot be set."));
        RequireArgumentCount(args, 0);
        return get();
    }

    static void method(int kind, const QVariantList& args, int count)
    {
        if (!(kind & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)))
            throw DispatchError(DISPATCH_E_MEMBERNOTFOUND, QStringLiteral("The member is a method."));
        RequireArgumentCount(args, count);
    }

    QVariant invoke(int dispid, int kind, const QVariantList& a)
    {
        namespace id = quaystone::dispid;
        QuaystoneCtrl& c = m_ctrl;
        switch (dispid) {
        case id::FilesJustCreatedCount:
            return readOnly(kind, a, [&] { return QVariant(c.FilesJustCreatedCount()); });
        case id::FilesJustCreated:
            method(kind, a, 1);
            return c.FilesJustCreated(argLong(a, 0));
        case id::Verbose:
            return property(kind, a, [&] { return QVariant(c.Verbose()); }, [&](const QVariantList& v) { c.SetVerbose(argBool(v, 0)); });
        case id::StateFile:
            return property(kind, a, [&] { return QVariant(c.StateFile()); }, [&](const QVariantList& v) { c.SetStateFile(argString(v, 0)); });
        case id::UseStateFile:
            return property(kind, a, [&] { return QVariant(c.UseStateFile()); }, [&](const QVariantList& v) { c.SetUseStateFile(argBool(v, 0)); });
        case id::ErrorString:
            return property(kind, a, [&] { return QVariant(c.ErrorString()); }, [&](const QVariantList& v) { c.SetErrorString(argString(v, 0)); });
        case id::OptimizeForSpeed:
            return property(kind, a, [&] { return QVariant(c.OptimizeForSpeed()); }, [&](const QVariantList& v) { c.SetOptimizeForSpeed(argBool(v, 0)); });
        case id::WordVersion:
            return readOnly(kind, a, [&] { return QVariant(c.WordVersion()); });
        case id::WordBuild:
            return readOnly(kind, a, [&] { return QVariant(c.WordBuild()); });
        case id::OutputFile_PassWord:
            return property(kind, a, [&] { return QVariant(c.OutputFile_PassWord()); }, [&](const QVariantList& v) { c.SetOutputFile_PassWord(argString(v, 0)); });
        case id::OutputFile_PassWord_TW:
            return property(kind, a, [&] { return QVariant(c.OutputFile_PassWord_TW()); }, [&](const QVariantList& v) { c.SetOutputFile_PassWord_TW(argString(v, 0)); });
        case id::InputFile_PassWord:
            return property(kind, a, [&] { return QVariant(c.InputFile_PassWord()); }, [&](const QVariantList& v) { c.SetInputFile_PassWord(argString(v, 0)); });
        case id::InputFile_PassWord_TW:
            return property(kind, a, [&] { return QVariant(c.InputFile_PassWord_TW()); }, [&](const QVariantList& v) { c.SetInputFile_PassWord_TW(argString(v, 0)); });
        case id::InputFileTemplate_PassWord:
            return property(kind, a, [&] { return QVariant(c.InputFileTemplate_PassWord()); }, [&](const QVariantList& v) { c.SetInputFileTemplate_PassWord(argString(v, 0)); });
        case id::InputFileTemplate_PassWord_TW:
            return property(kind, a, [&] { return QVariant(c.InputFileTemplate_PassWord_TW()); }, [&](const QVariantList& v) { c.SetInputFileTemplate_PassWord_TW(argString(v, 0)); });
        case id::ConvertSpecificPages:
            return property(kind, a, [&] { return QVariant(c.ConvertSpecificPages()); }, [&](const QVariantList& v) { c.SetConvertSpecificPages(argString(v, 0)); });
        case id::IsFileUnicode:
            method(kind, a, 1);
            return c.IsFileUnicode(argString(a, 0));
        case id::ShowAbout:
            method(kind, a, 0);
            c.ShowAbout();
            return QVariant();
        case id::StateFileSave:
            method(kind, a, 0);
            return c.StateFileSave();
        case id::StateFileLoad:
            method(kind, a, 0);
            return c.StateFileLoad();
        case id::bLoadingFromSkyDrive:
            method(kind, a, 1);
            return c.bLoadingFromSkyDrive(argString(a, 0));
        case id::OpenWordSaveAs:
            method(kind, a, 3);
            return c.OpenWordSaveAs(argString(a, 0), argString(a, 1), argLong(a, 2));
        case id::WordDocIsPasswordProtected:
            method(kind, a, 1);
            return c.WordDocIsPasswordProtected(argString(a, 0));
        case id::ConcatenateTwoTextFiles:
            method(kind, a, 2);
            return c.ConcatenateTwoTextFiles(argString(a, 0), argString(a, 1));
        case id::ConcatenateTwoTextFilesEx:
            method(kind, a, 4);
            return c.ConcatenateTwoTextFilesEx(argString(a, 0), argString(a, 1), argLong(a, 2), argLong(a, 3));
        case id::DeleteEmptyLinesFromTextFile:
            method(kind, a, 2);
            return c.DeleteEmptyLinesFromTextFile(argString(a, 0), argString(a, 1));
        case id::WordIsInstalled:
            method(kind, a, 0);
            return c.WordIsInstalled();
        case id::TestSaveAsPDF:
            method(kind, a, 0);
            return c.TestSaveAsPDF();
        case id::HideWordIfVisible:
            method(kind, a, 0);
            return c.HideWordIfVisible();
        default:
            throw DispatchError(DISPATCH_E_MEMBERNOTFOUND,
                                QStringLiteral("The control has no member 0x%1.").arg(quint32(dispid), 8, 16, QLatin1Char('0')));
        }
    }

    QuaystoneCtrl m_ctrl;
};

} // namespace

std::unique_ptr<DispatchTarget> MakeQuaystoneDispatchTarget(std::shared_ptr<WordAutomation> automation)
{
    return std::make_unique<QuaystoneTarget>(std::move(automation));
}
