#pragma once
// Components wrapping the default interfaces of seven WbemScripting coclasses. Each member
// forwards to the interface member of the same name (property accessors are Get_/Set_ plus
// the property name), connecting first when needed; a failure code raises EOleSysError.

#include <functional>

#include "ztusb/export.h"
#include "ztusb/win32/wbem_scripting.h"
#include "ztusb/wmi/wbem_server.h"

namespace ZtWmiU {

using namespace zt::win32::wbem;
using zt::host::ComPtr;
using zt::host::OleVariant;
using zt::host::TObject;
using zt::host::TOleEnum;
using zt::host::TVariantArray;
using zt::host::WideString;
using zt::win32::DATE;
using zt::win32::DISPID;
using zt::win32::IDispatch;
using zt::win32::LONG;

using TSWbemSinkOnObjectReady = std::function<void(TObject* ASender, const ComPtr<ISWbemObject>& objWbemObject,
                                                   const ComPtr<ISWbemNamedValueSet>& objWbemAsyncContext)>;
using TSWbemSinkOnCompleted = std::function<void(TObject* ASender, TOleEnum iHResult,
                                                 const ComPtr<ISWbemObject>& objWbemErrorObject,
                                                 const ComPtr<ISWbemNamedValueSet>& objWbemAsyncContext)>;
using TSWbemSinkOnProgress = std::function<void(TObject* ASender, int iUpperBound, int iCurrent,
                                                const WideString& strMessage,
                                                const ComPtr<ISWbemNamedValueSet>& objWbemAsyncContext)>;
using TSWbemSinkOnObjectPut = std::function<void(TObject* ASender, const ComPtr<ISWbemObjectPath>& objWbemObjectPath,
                                                 const ComPtr<ISWbemNamedValueSet>& objWbemAsyncContext)>;

class ZT_API TSWbemLocator : public TWbemServer<ISWbemLocator, CLASS_SWbemLocator, IID_ISWbemLocator> {
public:
    using TWbemServer::TWbemServer;

    ComPtr<ISWbemServices> ConnectServer(const WideString& strServer,
                                         const WideString& strNamespace,
                                         const WideString& strUser,
                                         const WideString& strPassword,
                                         const WideString& strLocale,
                                         const WideString& strAuthority,
                                         LONG iSecurityFlags,
                                         IDispatch* objWbemNamedValueSet) {
        return Forward(&ISWbemLocator::ConnectServer, strServer, strNamespace, strUser, strPassword, strLocale,
                       strAuthority, iSecurityFlags, objWbemNamedValueSet);
    }
    ComPtr<ISWbemSecurity> Get_Security_() { return Forward(&ISWbemLocator::get_Security_); }
};

class ZT_API TSWbemNamedValueSet : public TWbemServer<ISWbemNamedValueSet, CLASS_SWbemNamedValueSet, IID_ISWbemNamedValueSet> {
public:
    using TWbemServer::TWbemServer;

    ComPtr<ISWbemNamedValue> Item(const WideString& strName, LONG iFlags) {
        return Forward(&ISWbemNamedValueSet::Item, strName, iFlags);
    }
    LONG Get_Count() { return Forward(&ISWbemNamedValueSet::get_Count); }
    ComPtr<ISWbemNamedValue> Add(const WideString& strName, const OleVariant& varValue, LONG iFlags) {
        return Forward(&ISWbemNamedValueSet::Add, strName, varValue, iFlags);
    }
    void Remove(const WideString& strName, LONG iFlags) { Forward(&ISWbemNamedValueSet::Remove, strName, iFlags); }
    ComPtr<ISWbemNamedValueSet> Clone() { return Forward(&ISWbemNamedValueSet::Clone); }
    void DeleteAll() { Forward(&ISWbemNamedValueSet::DeleteAll); }
};

class ZT_API TSWbemObjectPath : public TWbemServer<ISWbemObjectPath, CLASS_SWbemObjectPath, IID_ISWbemObjectPath> {
public:
    using TWbemServer::TWbemServer;

    WideString Get_Path() { return Forward(&ISWbemObjectPath::get_Path); }
    void Set_Path(const WideString& strPath) { PutByName(u"Path", strPath); }
    WideString Get_RelPath() { return Forward(&ISWbemObjectPath::get_RelPath); }
    void Set_RelPath(const WideString& strRelPath) { PutByName(u"RelPath", strRelPath); }
    WideString Get_Server() { return Forward(&ISWbemObjectPath::get_Server); }
    void Set_Server(const WideString& strServer) { PutByName(u"Server", strServer); }
    WideString Get_Namespace() { return Forward(&ISWbemObjectPath::get_Namespace); }
    void Set_Namespace(const WideString& strNamespace) { PutByName(u"Namespace", strNamespace); }
    WideString Get_ParentNamespace() { return Forward(&ISWbemObjectPath::get_ParentNamespace); }
    WideString Get_DisplayName() { return Forward(&ISWbemObjectPath::get_DisplayName); }
    void Set_DisplayName(const WideString& strDisplayName) { PutByName(u"DisplayName", strDisplayName); }
    WideString Get_Class_() { return Forward(&ISWbemObjectPath::get_Class); }
    void Set_Class_(const WideString& strClass) { PutByName(u"Class", strClass); }
    bool Get_IsClass() { return Forward(&ISWbemObjectPath::get_IsClass); }
    void SetAsClass() { Forward(&ISWbemObjectPath::SetAsClass); }
    bool Get_IsSingleton() { return Forward(&ISWbemObjectPath::get_IsSingleton); }
    void SetAsSingleton() { Forward(&ISWbemObjectPath::SetAsSingleton); }
    ComPtr<ISWbemNamedValueSet> Get_Keys() { return Forward(&ISWbemObjectPath::get_Keys); }
    ComPtr<ISWbemSecurity> Get_Security_() { return Forward(&ISWbemObjectPath::get_Security_); }
    WideString Get_Locale() { return Forward(&ISWbemObjectPath::get_Locale); }
    void Set_Locale(const WideString& strLocale) { PutByName(u"Locale", strLocale); }
    WideString Get_Authority() { return Forward(&ISWbemObjectPath::get_Authority); }
    void Set_Authority(const WideString& strAuthority) { PutByName(u"Authority", strAuthority); }
};

class ZT_API TSWbemLastError : public TWbemServer<ISWbemLastError, CLASS_SWbemLastError, IID_ISWbemLastError> {
public:
    using TWbemServer::TWbemServer;

    ComPtr<ISWbemObjectPath> Put_(LONG iFlags, IDispatch* objWbemNamedValueSet) {
        return Forward(&ISWbemLastError::Put_, iFlags, objWbemNamedValueSet);
    }
    void PutAsync_(IDispatch* objWbemSink,
                   LONG iFlags,
                   IDispatch* objWbemNamedValueSet,
                   IDispatch* objWbemAsyncContext) {
        Forward(&ISWbemLastError::PutAsync_, objWbemSink, iFlags, objWbemNamedValueSet, objWbemAsyncContext);
    }
    void Delete_(LONG iFlags, IDispatch* objWbemNamedValueSet) {
        Forward(&ISWbemLastError::Delete_, iFlags, objWbemNamedValueSet);
    }
    void DeleteAsync_(IDispatch* objWbemSink,
                      LONG iFlags,
                      IDispatch* objWbemNamedValueSet,
                      IDispatch* objWbemAsyncContext) {
        Forward(&ISWbemLastError::DeleteAsync_, objWbemSink, iFlags, objWbemNamedValueSet, objWbemAsyncContext);
    }
    ComPtr<ISWbemObjectSet> Instances_(LONG iFlags, IDispatch* objWbemNamedValueSet) {
        return Forward(&ISWbemLastError::Instances_, iFlags, objWbemNamedValueSet);
    }
    void InstancesAsync_(IDispatch* objWbemSink,
                         LONG iFlags,
                         IDispatch* objWbemNamedValueSet,
                         IDispatch* objWbemAsyncContext) {
        Forward(&ISWbemLastError::InstancesAsync_, objWbemSink, iFlags, objWbemNamedValueSet, objWbemAsyncContext);
    }
    ComPtr<ISWbemObjectSet> Subclasses_(LONG iFlags, IDispatch* objWbemNamedValueSet) {
        return Forward(&ISWbemLastError::Subclasses_, iFlags, objWbemNamedValueSet);
    }
    void SubclassesAsync_(IDispatch* objWbemSink,
                          LONG iFlags,
                          IDispatch* objWbemNamedValueSet,
                          IDispatch* objWbemAsyncContext) {
        Forward(&ISWbemLastError::SubclassesAsync_, objWbemSink, iFlags, objWbemNamedValueSet, objWbemAsyncContext);
    }
    ComPtr<ISWbemObjectSet> Associators_(const WideString& strAssocClass,
                                         const WideString& strResultClass,
                                         const WideString& strResultRole,
                                         const WideString& strRole,
                                         bool bClassesOnly,
                                         bool bSchemaOnly,
                                         const WideString& strRequiredAssocQualifier,
                                         const WideString& strRequiredQualifier,
                                         LONG iFlags,
                                         IDispatch* objWbemNamedValueSet) {
        return Forward(&ISWbemLastError::Associators_, strAssocClass, strResultClass, strResultRole, strRole,
                       bClassesOnly, bSchemaOnly, strRequiredAssocQualifier, strRequiredQualifier, iFlags,
                       objWbemNamedValueSet);
    }
    void AssociatorsAsync_(IDispatch* objWbemSink,
                           const WideString& strAssocClass,
                           const WideString& strResultClass,
                           const WideString& strResultRole,
                           const WideString& strRole,
                           bool bClassesOnly,
                           bool bSchemaOnly,
                           const WideString& strRequiredAssocQualifier,
                           const WideString& strRequiredQualifier,
                           LONG iFlags,
                           IDispatch* objWbemNamedValueSet,
                           IDispatch* objWbemAsyncContext) {
        Forward(&ISWbemLastError::AssociatorsAsync_, objWbemSink, strAssocClass, strResultClass, strResultRole,
                strRole, bClassesOnly, bSchemaOnly, strRequiredAssocQualifier, strRequiredQualifier, iFlags,
                objWbemNamedValueSet, objWbemAsyncContext);
    }
    ComPtr<ISWbemObjectSet> References_(const WideString& strResultClass,
                                        const WideString& strRole,
                                        bool bClassesOnly,
                                        bool bSchemaOnly,
                                        const WideString& strRequiredQualifier,
                                        LONG iFlags,
                                        IDispatch* objWbemNamedValueSet) {
        return Forward(&ISWbemLastError::References_, strResultClass, strRole, bClassesOnly, bSchemaOnly,
                       strRequiredQualifier, iFlags, objWbemNamedValueSet);
    }
    void ReferencesAsync_(IDispatch* objWbemSink,
                          const WideString& strResultClass,
                          const WideString& strRole,
                          bool bClassesOnly,
                          bool bSchemaOnly,
                          const WideString& strRequiredQualifier,
                          LONG iFlags,
                          IDispatch* objWbemNamedValueSet,
                          IDispatch* objWbemAsyncContext) {
        Forward(&ISWbemLastError::ReferencesAsync_, objWbemSink, strResultClass, strRole, bClassesOnly, bSchemaOnly,
                strRequiredQualifier, iFlags, objWbemNamedValueSet, objWbemAsyncContext);
    }
    ComPtr<ISWbemObject> ExecMethod_(const WideString& strMethodName,
                                     IDispatch* objWbemInParameters,
                                     LONG iFlags,
                                     IDispatch* objWbemNamedValueSet) {
        return Forward(&ISWbemLastError::ExecMethod_, strMethodName, objWbemInParameters, iFlags,
                       objWbemNamedValueSet);
    }
    void ExecMethodAsync_(IDispatch* objWbemSink,
                          const WideString& strMethodName,
                          IDispatch* objWbemInParameters,
                          LONG iFlags,
                          IDispatch* objWbemNamedValueSet,
                          IDispatch* objWbemAsyncContext) {
        Forward(&ISWbemLastError::ExecMethodAsync_, objWbemSink, strMethodName, objWbemInParameters, iFlags,
                objWbemNamedValueSet, objWbemAsyncContext);
    }
    ComPtr<ISWbemObject> Clone_() { return Forward(&ISWbemLastError::Clone_); }
    WideString GetObjectText_(LONG iFlags) { return Forward(&ISWbemLastError::GetObjectText_, iFlags); }
    ComPtr<ISWbemObject> SpawnDerivedClass_(LONG iFlags) {
        return Forward(&ISWbemLastError::SpawnDerivedClass_, iFlags);
    }
    ComPtr<ISWbemObject> SpawnInstance_(LONG iFlags) { return Forward(&ISWbemLastError::SpawnInstance_, iFlags); }
    bool CompareTo_(IDispatch* objWbemObject, LONG iFlags) {
        return Forward(&ISWbemLastError::CompareTo_, objWbemObject, iFlags);
    }
    ComPtr<ISWbemQualifierSet> Get_Qualifiers_() { return Forward(&ISWbemLastError::get_Qualifiers_); }
    ComPtr<ISWbemPropertySet> Get_Properties_() { return Forward(&ISWbemLastError::get_Properties_); }
    ComPtr<ISWbemMethodSet> Get_Methods_() { return Forward(&ISWbemLastError::get_Methods_); }
    OleVariant Get_Derivation_() { return GetByName(u"Derivation_"); }
    ComPtr<ISWbemObjectPath> Get_Path_() { return Forward(&ISWbemLastError::get_Path_); }
    ComPtr<ISWbemSecurity> Get_Security_() { return Forward(&ISWbemLastError::get_Security_); }
};

class ZT_API TSWbemSink : public TWbemServer<ISWbemSink, CLASS_SWbemSink, IID_ISWbemSink, DIID_ISWbemSinkEvents> {
public:
    using TWbemServer::TWbemServer;

    // Events from the server, raised only when assigned.
    TSWbemSinkOnObjectReady OnObjectReady;
    TSWbemSinkOnCompleted OnCompleted;
    TSWbemSinkOnProgress OnProgress;
    TSWbemSinkOnObjectPut OnObjectPut;

    void Cancel() { Forward(&ISWbemSink::Cancel); }

protected:
    void InvokeEvent(DISPID DispID, TVariantArray& Params) override;
};

class ZT_API TSWbemDateTime : public TWbemServer<ISWbemDateTime, CLASS_SWbemDateTime, IID_ISWbemDateTime> {
public:
    using TWbemServer::TWbemServer;

    WideString Get_Value() { return Forward(&ISWbemDateTime::get_Value); }
    void Set_Value(const WideString& strValue) { PutByName(u"Value", strValue); }
    LONG Get_Year() { return Forward(&ISWbemDateTime::get_Year); }
    void Set_Year(LONG iYear) { Forward(&ISWbemDateTime::put_Year, iYear); }
    bool Get_YearSpecified() { return Forward(&ISWbemDateTime::get_YearSpecified); }
    void Set_YearSpecified(bool bYearSpecified) { Forward(&ISWbemDateTime::put_YearSpecified, bYearSpecified); }
    LONG Get_Month() { return Forward(&ISWbemDateTime::get_Month); }
    void Set_Month(LONG iMonth) { Forward(&ISWbemDateTime::put_Month, iMonth); }
    bool Get_MonthSpecified() { return Forward(&ISWbemDateTime::get_MonthSpecified); }
    void Set_MonthSpecified(bool bMonthSpecified) { Forward(&ISWbemDateTime::put_MonthSpecified, bMonthSpecified); }
    LONG Get_Day() { return Forward(&ISWbemDateTime::get_Day); }
    void Set_Day(LONG iDay) { Forward(&ISWbemDateTime::put_Day, iDay); }
    bool Get_DaySpecified() { return Forward(&ISWbemDateTime::get_DaySpecified); }
    void Set_DaySpecified(bool bDaySpecified) { Forward(&ISWbemDateTime::put_DaySpecified, bDaySpecified); }
    LONG Get_Hours() { return Forward(&ISWbemDateTime::get_Hours); }
    void Set_Hours(LONG iHours) { Forward(&ISWbemDateTime::put_Hours, iHours); }
    bool Get_HoursSpecified() { return Forward(&ISWbemDateTime::get_HoursSpecified); }
    void Set_HoursSpecified(bool bHoursSpecified) { Forward(&ISWbemDateTime::put_HoursSpecified, bHoursSpecified); }
    LONG Get_Minutes() { return Forward(&ISWbemDateTime::get_Minutes); }
    void Set_Minutes(LONG iMinutes) { Forward(&ISWbemDateTime::put_Minutes, iMinutes); }
    bool Get_MinutesSpecified() { return Forward(&ISWbemDateTime::get_MinutesSpecified); }
    void Set_MinutesSpecified(bool bMinutesSpecified) {
        Forward(&ISWbemDateTime::put_MinutesSpecified, bMinutesSpecified);
    }
    LONG Get_Seconds() { return Forward(&ISWbemDateTime::get_Seconds); }
    void Set_Seconds(LONG iSeconds) { Forward(&ISWbemDateTime::put_Seconds, iSeconds); }
    bool Get_SecondsSpecified() { return Forward(&ISWbemDateTime::get_SecondsSpecified); }
    void Set_SecondsSpecified(bool bSecondsSpecified) {
        Forward(&ISWbemDateTime::put_SecondsSpecified, bSecondsSpecified);
    }
    LONG Get_Microseconds() { return Forward(&ISWbemDateTime::get_Microseconds); }
    void Set_Microseconds(LONG iMicroseconds) { Forward(&ISWbemDateTime::put_Microseconds, iMicroseconds); }
    bool Get_MicrosecondsSpecified() { return Forward(&ISWbemDateTime::get_MicrosecondsSpecified); }
    void Set_MicrosecondsSpecified(bool bMicrosecondsSpecified) {
        Forward(&ISWbemDateTime::put_MicrosecondsSpecified, bMicrosecondsSpecified);
    }
    LONG Get_UTC() { return Forward(&ISWbemDateTime::get_UTC); }
    void Set_UTC(LONG iUTC) { Forward(&ISWbemDateTime::put_UTC, iUTC); }
    bool Get_UTCSpecified() { return Forward(&ISWbemDateTime::get_UTCSpecified); }
    void Set_UTCSpecified(bool bUTCSpecified) { Forward(&ISWbemDateTime::put_UTCSpecified, bUTCSpecified); }
    bool Get_IsInterval() { return Forward(&ISWbemDateTime::get_IsInterval); }
    void Set_IsInterval(bool bIsInterval) { Forward(&ISWbemDateTime::put_IsInterval, bIsInterval); }
    DATE GetVarDate(bool bIsLocal) { return Forward(&ISWbemDateTime::GetVarDate, bIsLocal); }
    void SetVarDate(DATE dVarDate, bool bIsLocal) { Forward(&ISWbemDateTime::SetVarDate, dVarDate, bIsLocal); }
    WideString GetFileTime(bool bIsLocal) { return Forward(&ISWbemDateTime::GetFileTime, bIsLocal); }
    void SetFileTime(const WideString& strFileTime, bool bIsLocal) {
        Forward(&ISWbemDateTime::SetFileTime, strFileTime, bIsLocal);
    }
};

class ZT_API TSWbemRefresher : public TWbemServer<ISWbemRefresher, CLASS_SWbemRefresher, IID_ISWbemRefresher> {
public:
    using TWbemServer::TWbemServer;

    ComPtr<ISWbemRefreshableItem> Item(LONG iIndex) { return Forward(&ISWbemRefresher::Item, iIndex); }
    LONG Get_Count() { return Forward(&ISWbemRefresher::get_Count); }
    ComPtr<ISWbemRefreshableItem> Add(ISWbemServicesEx* objWbemServices,
                                      const WideString& bsInstancePath,
                                      LONG iFlags,
                                      IDispatch* objWbemNamedValueSet) {
        return Forward(&ISWbemRefresher::Add, objWbemServices, bsInstancePath, iFlags, objWbemNamedValueSet);
    }
    ComPtr<ISWbemRefreshableItem> AddEnum(ISWbemServicesEx* objWbemServices,
                                          const WideString& bsClassName,
                                          LONG iFlags,
                                          IDispatch* objWbemNamedValueSet) {
        return Forward(&ISWbemRefresher::AddEnum, objWbemServices, bsClassName, iFlags, objWbemNamedValueSet);
    }
    void Remove(LONG iIndex, LONG iFlags) { Forward(&ISWbemRefresher::Remove, iIndex, iFlags); }
    void Refresh(LONG iFlags) { Forward(&ISWbemRefresher::Refresh, iFlags); }
    bool Get_AutoReconnect() { return Forward(&ISWbemRefresher::get_AutoReconnect); }
    void Set_AutoReconnect(bool bCount) { Forward(&ISWbemRefresher::put_AutoReconnect, bCount); }
    void DeleteAll() { Forward(&ISWbemRefresher::DeleteAll); }
};

}  // namespace ZtWmiU
