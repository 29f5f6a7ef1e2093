#pragma once
// The WbemScripting type library's interfaces and enumerations as the system headers
// declare them, for systems without them: same members in the same order.

#include "ztusb/win32/com.h"

namespace zt::win32::wbem {

struct ISWbemLocator;
struct ISWbemServices;
struct ISWbemServicesEx;
struct ISWbemObject;
struct ISWbemObjectEx;
struct ISWbemLastError;
struct ISWbemObjectSet;
struct ISWbemNamedValueSet;
struct ISWbemNamedValue;
struct ISWbemObjectPath;
struct ISWbemProperty;
struct ISWbemPropertySet;
struct ISWbemQualifier;
struct ISWbemQualifierSet;
struct ISWbemMethod;
struct ISWbemMethodSet;
struct ISWbemSink;
struct ISWbemEventSource;
struct ISWbemSecurity;
struct ISWbemPrivilege;
struct ISWbemPrivilegeSet;
struct ISWbemDateTime;
struct ISWbemRefreshableItem;
struct ISWbemRefresher;

enum WbemChangeFlagEnum {
    wbemChangeFlagCreateOrUpdate = 0x0,
    wbemChangeFlagUpdateOnly = 0x1,
    wbemChangeFlagCreateOnly = 0x2,
    wbemChangeFlagUpdateCompatible = 0x0,
    wbemChangeFlagUpdateSafeMode = 0x20,
    wbemChangeFlagUpdateForceMode = 0x40,
    wbemChangeFlagStrongValidation = 0x80,
    wbemChangeFlagAdvisory = 0x10000
};

enum WbemFlagEnum {
    wbemFlagReturnImmediately = 0x10,
    wbemFlagReturnWhenComplete = 0,
    wbemFlagBidirectional = 0,
    wbemFlagForwardOnly = 0x20,
    wbemFlagNoErrorObject = 0x40,
    wbemFlagReturnErrorObject = 0,
    wbemFlagSendStatus = 0x80,
    wbemFlagDontSendStatus = 0,
    wbemFlagEnsureLocatable = 0x100,
    wbemFlagDirectRead = 0x200,
    wbemFlagSendOnlySelected = 0,
    wbemFlagUseAmendedQualifiers = 0x20000,
    wbemFlagGetDefault = 0x0,
    wbemFlagSpawnInstance = 0x1,
    wbemFlagUseCurrentTime = 0x1
};

enum WbemQueryFlagEnum {
    wbemQueryFlagDeep = 0,
    wbemQueryFlagShallow = 1,
    wbemQueryFlagPrototype = 2
};

enum WbemTextFlagEnum {
    wbemTextFlagNoFlavors = 0x1
};

enum WbemTimeout {
    wbemTimeoutInfinite = 0xffffffff
};

enum WbemComparisonFlagEnum {
    wbemComparisonFlagIncludeAll = 0,
    wbemComparisonFlagIgnoreQualifiers = 0x1,
    wbemComparisonFlagIgnoreObjectSource = 0x2,
    wbemComparisonFlagIgnoreDefaultValues = 0x4,
    wbemComparisonFlagIgnoreClass = 0x8,
    wbemComparisonFlagIgnoreCase = 0x10,
    wbemComparisonFlagIgnoreFlavor = 0x20
};

enum WbemCimtypeEnum {
    wbemCimtypeSint16 = 2,
    wbemCimtypeSint32 = 3,
    wbemCimtypeReal32 = 4,
    wbemCimtypeReal64 = 5,
    wbemCimtypeString = 8,
    wbemCimtypeBoolean = 11,
    wbemCimtypeObject = 13,
    wbemCimtypeSint8 = 16,
    wbemCimtypeUint8 = 17,
    wbemCimtypeUint16 = 18,
    wbemCimtypeUint32 = 19,
    wbemCimtypeSint64 = 20,
    wbemCimtypeUint64 = 21,
    wbemCimtypeDatetime = 101,
    wbemCimtypeReference = 102,
    wbemCimtypeChar16 = 103
};

enum WbemErrorEnum {
    wbemNoErr = 0,
    wbemErrFailed = 0x80041001,
    wbemErrNotFound = 0x80041002,
    wbemErrAccessDenied = 0x80041003,
    wbemErrProviderFailure = 0x80041004,
    wbemErrTypeMismatch = 0x80041005,
    wbemErrOutOfMemory = 0x80041006,
    wbemErrInvalidContext = 0x80041007,
    wbemErrInvalidParameter = 0x80041008,
    wbemErrNotAvailable = 0x80041009,
    wbemErrCriticalError = 0x8004100a,
    wbemErrInvalidStream = 0x8004100b,
    wbemErrNotSupported = 0x8004100c,
    wbemErrInvalidSuperclass = 0x8004100d,
    wbemErrInvalidNamespace = 0x8004100e,
    wbemErrInvalidObject = 0x8004100f,
    wbemErrInvalidClass = 0x80041010,
    wbemErrProviderNotFound = 0x80041011,
    wbemErrInvalidProviderRegistration = 0x80041012,
    wbemErrProviderLoadFailure = 0x80041013,
    wbemErrInitializationFailure = 0x80041014,
    wbemErrTransportFailure = 0x80041015,
    wbemErrInvalidOperation = 0x80041016,
    wbemErrInvalidQuery = 0x80041017,
    wbemErrInvalidQueryType = 0x80041018,
    wbemErrAlreadyExists = 0x80041019,
    wbemErrOverrideNotAllowed = 0x8004101a,
    wbemErrPropagatedQualifier = 0x8004101b,
    wbemErrPropagatedProperty = 0x8004101c,
    wbemErrUnexpected = 0x8004101d,
    wbemErrIllegalOperation = 0x8004101e,
    wbemErrCannotBeKey = 0x8004101f,
    wbemErrIncompleteClass = 0x80041020,
    wbemErrInvalidSyntax = 0x80041021,
    wbemErrNondecoratedObject = 0x80041022,
    wbemErrReadOnly = 0x80041023,
    wbemErrProviderNotCapable = 0x80041024,
    wbemErrClassHasChildren = 0x80041025,
    wbemErrClassHasInstances = 0x80041026,
    wbemErrQueryNotImplemented = 0x80041027,
    wbemErrIllegalNull = 0x80041028,
    wbemErrInvalidQualifierType = 0x80041029,
    wbemErrInvalidPropertyType = 0x8004102a,
    wbemErrValueOutOfRange = 0x8004102b,
    wbemErrCannotBeSingleton = 0x8004102c,
    wbemErrInvalidCimType = 0x8004102d,
    wbemErrInvalidMethod = 0x8004102e,
    wbemErrInvalidMethodParameters = 0x8004102f,
    wbemErrSystemProperty = 0x80041030,
    wbemErrInvalidProperty = 0x80041031,
    wbemErrCallCancelled = 0x80041032,
    wbemErrShuttingDown = 0x80041033,
    wbemErrPropagatedMethod = 0x80041034,
    wbemErrUnsupportedParameter = 0x80041035,
    wbemErrMissingParameter = 0x80041036,
    wbemErrInvalidParameterId = 0x80041037,
    wbemErrNonConsecutiveParameterIds = 0x80041038,
    wbemErrParameterIdOnRetval = 0x80041039,
    wbemErrInvalidObjectPath = 0x8004103a,
    wbemErrOutOfDiskSpace = 0x8004103b,
    wbemErrBufferTooSmall = 0x8004103c,
    wbemErrUnsupportedPutExtension = 0x8004103d,
    wbemErrUnknownObjectType = 0x8004103e,
    wbemErrUnknownPacketType = 0x8004103f,
    wbemErrMarshalVersionMismatch = 0x80041040,
    wbemErrMarshalInvalidSignature = 0x80041041,
    wbemErrInvalidQualifier = 0x80041042,
    wbemErrInvalidDuplicateParameter = 0x80041043,
    wbemErrTooMuchData = 0x80041044,
    wbemErrServerTooBusy = 0x80041045,
    wbemErrInvalidFlavor = 0x80041046,
    wbemErrCircularReference = 0x80041047,
    wbemErrUnsupportedClassUpdate = 0x80041048,
    wbemErrCannotChangeKeyInheritance = 0x80041049,
    wbemErrCannotChangeIndexInheritance = 0x80041050,
    wbemErrTooManyProperties = 0x80041051,
    wbemErrUpdateTypeMismatch = 0x80041052,
    wbemErrUpdateOverrideNotAllowed = 0x80041053,
    wbemErrUpdatePropagatedMethod = 0x80041054,
    wbemErrMethodNotImplemented = 0x80041055,
    wbemErrMethodDisabled = 0x80041056,
    wbemErrRefresherBusy = 0x80041057,
    wbemErrUnparsableQuery = 0x80041058,
    wbemErrNotEventClass = 0x80041059,
    wbemErrMissingGroupWithin = 0x8004105a,
    wbemErrMissingAggregationList = 0x8004105b,
    wbemErrPropertyNotAnObject = 0x8004105c,
    wbemErrAggregatingByObject = 0x8004105d,
    wbemErrUninterpretableProviderQuery = 0x8004105f,
    wbemErrBackupRestoreWinmgmtRunning = 0x80041060,
    wbemErrQueueOverflow = 0x80041061,
    wbemErrPrivilegeNotHeld = 0x80041062,
    wbemErrInvalidOperator = 0x80041063,
    wbemErrLocalCredentials = 0x80041064,
    wbemErrCannotBeAbstract = 0x80041065,
    wbemErrAmendedObject = 0x80041066,
    wbemErrClientTooSlow = 0x80041067,
    wbemErrNullSecurityDescriptor = 0x80041068,
    wbemErrTimeout = 0x80041069,
    wbemErrInvalidAssociation = 0x8004106a,
    wbemErrAmbiguousOperation = 0x8004106b,
    wbemErrQuotaViolation = 0x8004106c,
    wbemErrTransactionConflict = 0x8004106d,
    wbemErrForcedRollback = 0x8004106e,
    wbemErrUnsupportedLocale = 0x8004106f,
    wbemErrHandleOutOfDate = 0x80041070,
    wbemErrConnectionFailed = 0x80041071,
    wbemErrInvalidHandleRequest = 0x80041072,
    wbemErrPropertyNameTooWide = 0x80041073,
    wbemErrClassNameTooWide = 0x80041074,
    wbemErrMethodNameTooWide = 0x80041075,
    wbemErrQualifierNameTooWide = 0x80041076,
    wbemErrRerunCommand = 0x80041077,
    wbemErrDatabaseVerMismatch = 0x80041078,
    wbemErrVetoPut = 0x80041079,
    wbemErrVetoDelete = 0x8004107a,
    wbemErrInvalidLocale = 0x80041080,
    wbemErrProviderSuspended = 0x80041081,
    wbemErrSynchronizationRequired = 0x80041082,
    wbemErrNoSchema = 0x80041083,
    wbemErrProviderAlreadyRegistered = 0x80041084,
    wbemErrProviderNotRegistered = 0x80041085,
    wbemErrFatalTransportError = 0x80041086,
    wbemErrEncryptedConnectionRequired = 0x80041087,
    wbemErrRegistrationTooBroad = 0x80042001,
    wbemErrRegistrationTooPrecise = 0x80042002,
    wbemErrTimedout = 0x80043001,
    wbemErrResetToDefault = 0x80043002
};

enum WbemAuthenticationLevelEnum {
    wbemAuthenticationLevelDefault = 0,
    wbemAuthenticationLevelNone = 1,
    wbemAuthenticationLevelConnect = 2,
    wbemAuthenticationLevelCall = 3,
    wbemAuthenticationLevelPkt = 4,
    wbemAuthenticationLevelPktIntegrity = 5,
    wbemAuthenticationLevelPktPrivacy = 6
};

enum WbemImpersonationLevelEnum {
    wbemImpersonationLevelAnonymous = 1,
    wbemImpersonationLevelIdentify = 2,
    wbemImpersonationLevelImpersonate = 3,
    wbemImpersonationLevelDelegate = 4
};

enum WbemPrivilegeEnum {
    wbemPrivilegeCreateToken = 1,
    wbemPrivilegePrimaryToken = 2,
    wbemPrivilegeLockMemory = 3,
    wbemPrivilegeIncreaseQuota = 4,
    wbemPrivilegeMachineAccount = 5,
    wbemPrivilegeTcb = 6,
    wbemPrivilegeSecurity = 7,
    wbemPrivilegeTakeOwnership = 8,
    wbemPrivilegeLoadDriver = 9,
    wbemPrivilegeSystemProfile = 10,
    wbemPrivilegeSystemtime = 11,
    wbemPrivilegeProfileSingleProcess = 12,
    wbemPrivilegeIncreaseBasePriority = 13,
    wbemPrivilegeCreatePagefile = 14,
    wbemPrivilegeCreatePermanent = 15,
    wbemPrivilegeBackup = 16,
    wbemPrivilegeRestore = 17,
    wbemPrivilegeShutdown = 18,
    wbemPrivilegeDebug = 19,
    wbemPrivilegeAudit = 20,
    wbemPrivilegeSystemEnvironment = 21,
    wbemPrivilegeChangeNotify = 22,
    wbemPrivilegeRemoteShutdown = 23,
    wbemPrivilegeUndock = 24,
    wbemPrivilegeSyncAgent = 25,
    wbemPrivilegeEnableDelegation = 26,
    wbemPrivilegeManageVolume = 27
};

enum WbemObjectTextFormatEnum {
    wbemObjectTextFormatCIMDTD20 = 1,
    wbemObjectTextFormatWMIDTD20 = 2
};

enum WbemConnectOptionsEnum {
    wbemConnectFlagUseMaxWait = 0x80
};

struct ISWbemLocator : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE ConnectServer(
        BSTR strServer,
        BSTR strNamespace,
        BSTR strUser,
        BSTR strPassword,
        BSTR strLocale,
        BSTR strAuthority,
        LONG iSecurityFlags,
        IDispatch *objWbemNamedValueSet,
        ISWbemServices **objWbemServices) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Security_(ISWbemSecurity **objWbemSecurity) = 0;
};

struct ISWbemServices : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Get(
        BSTR strObjectPath,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        ISWbemObject **objWbemObject) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAsync(
        IDispatch *objWbemSink,
        BSTR strObjectPath,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        IDispatch *objWbemAsyncContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE Delete(
        BSTR strObjectPath,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteAsync(
        IDispatch *objWbemSink,
        BSTR strObjectPath,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        IDispatch *objWbemAsyncContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE InstancesOf(
        BSTR strClass,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        ISWbemObjectSet **objWbemObjectSet) = 0;
    virtual HRESULT STDMETHODCALLTYPE InstancesOfAsync(
        IDispatch *objWbemSink,
        BSTR strClass,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        IDispatch *objWbemAsyncContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE SubclassesOf(
        BSTR strSuperclass,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        ISWbemObjectSet **objWbemObjectSet) = 0;
    virtual HRESULT STDMETHODCALLTYPE SubclassesOfAsync(
        IDispatch *objWbemSink,
        BSTR strSuperclass,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        IDispatch *objWbemAsyncContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE ExecQuery(
        BSTR strQuery,
        BSTR strQueryLanguage,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        ISWbemObjectSet **objWbemObjectSet) = 0;
    virtual HRESULT STDMETHODCALLTYPE ExecQueryAsync(
        IDispatch *objWbemSink,
        BSTR strQuery,
        BSTR strQueryLanguage,
        LONG lFlags,
        IDispatch *objWbemNamedValueSet,
        IDispatch *objWbemAsyncContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE AssociatorsOf(
        BSTR strObjectPath,
        BSTR strAssocClass,
        BSTR strResultClass,
        BSTR strResultRole,
        BSTR strRole,
        VARIANT_BOOL bClassesOnly,
        VARIANT_BOOL bSchemaOnly,
        BSTR strRequiredAssocQualifier,
        BSTR strRequiredQualifier,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        ISWbemObjectSet **objWbemObjectSet) = 0;
    virtual HRESULT STDMETHODCALLTYPE AssociatorsOfAsync(
        IDispatch *objWbemSink,
        BSTR strObjectPath,
        BSTR strAssocClass,
        BSTR strResultClass,
        BSTR strResultRole,
        BSTR strRole,
        VARIANT_BOOL bClassesOnly,
        VARIANT_BOOL bSchemaOnly,
        BSTR strRequiredAssocQualifier,
        BSTR strRequiredQualifier,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        IDispatch *objWbemAsyncContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReferencesTo(
        BSTR strObjectPath,
        BSTR strResultClass,
        BSTR strRole,
        VARIANT_BOOL bClassesOnly,
        VARIANT_BOOL bSchemaOnly,
        BSTR strRequiredQualifier,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        ISWbemObjectSet **objWbemObjectSet) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReferencesToAsync(
        IDispatch *objWbemSink,
        BSTR strObjectPath,
        BSTR strResultClass,
        BSTR strRole,
        VARIANT_BOOL bClassesOnly,
        VARIANT_BOOL bSchemaOnly,
        BSTR strRequiredQualifier,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        IDispatch *objWbemAsyncContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE ExecNotificationQuery(
        BSTR strQuery,
        BSTR strQueryLanguage,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        ISWbemEventSource **objWbemEventSource) = 0;
    virtual HRESULT STDMETHODCALLTYPE ExecNotificationQueryAsync(
        IDispatch *objWbemSink,
        BSTR strQuery,
        BSTR strQueryLanguage,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        IDispatch *objWbemAsyncContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE ExecMethod(
        BSTR strObjectPath,
        BSTR strMethodName,
        IDispatch *objWbemInParameters,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        ISWbemObject **objWbemOutParameters) = 0;
    virtual HRESULT STDMETHODCALLTYPE ExecMethodAsync(
        IDispatch *objWbemSink,
        BSTR strObjectPath,
        BSTR strMethodName,
        IDispatch *objWbemInParameters,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        IDispatch *objWbemAsyncContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Security_(ISWbemSecurity **objWbemSecurity) = 0;
};

struct ISWbemServicesEx : ISWbemServices {
    virtual HRESULT STDMETHODCALLTYPE Put(
        ISWbemObjectEx *objWbemObject,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        ISWbemObjectPath **objWbemObjectPath) = 0;
    virtual HRESULT STDMETHODCALLTYPE PutAsync(
        ISWbemSink *objWbemSink,
        ISWbemObjectEx *objWbemObject,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        IDispatch *objWbemAsyncContext) = 0;
};

struct ISWbemObject : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Put_(
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        ISWbemObjectPath **objWbemObjectPath) = 0;
    virtual HRESULT STDMETHODCALLTYPE PutAsync_(
        IDispatch *objWbemSink,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        IDispatch *objWbemAsyncContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE Delete_(LONG iFlags, IDispatch *objWbemNamedValueSet) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteAsync_(
        IDispatch *objWbemSink,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        IDispatch *objWbemAsyncContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE Instances_(
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        ISWbemObjectSet **objWbemObjectSet) = 0;
    virtual HRESULT STDMETHODCALLTYPE InstancesAsync_(
        IDispatch *objWbemSink,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        IDispatch *objWbemAsyncContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE Subclasses_(
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        ISWbemObjectSet **objWbemObjectSet) = 0;
    virtual HRESULT STDMETHODCALLTYPE SubclassesAsync_(
        IDispatch *objWbemSink,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        IDispatch *objWbemAsyncContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE Associators_(
        BSTR strAssocClass,
        BSTR strResultClass,
        BSTR strResultRole,
        BSTR strRole,
        VARIANT_BOOL bClassesOnly,
        VARIANT_BOOL bSchemaOnly,
        BSTR strRequiredAssocQualifier,
        BSTR strRequiredQualifier,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        ISWbemObjectSet **objWbemObjectSet) = 0;
    virtual HRESULT STDMETHODCALLTYPE AssociatorsAsync_(
        IDispatch *objWbemSink,
        BSTR strAssocClass,
        BSTR strResultClass,
        BSTR strResultRole,
        BSTR strRole,
        VARIANT_BOOL bClassesOnly,
        VARIANT_BOOL bSchemaOnly,
        BSTR strRequiredAssocQualifier,
        BSTR strRequiredQualifier,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        IDispatch *objWbemAsyncContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE References_(
        BSTR strResultClass,
        BSTR strRole,
        VARIANT_BOOL bClassesOnly,
        VARIANT_BOOL bSchemaOnly,
        BSTR strRequiredQualifier,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        ISWbemObjectSet **objWbemObjectSet) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReferencesAsync_(
        IDispatch *objWbemSink,
        BSTR strResultClass,
        BSTR strRole,
        VARIANT_BOOL bClassesOnly,
        VARIANT_BOOL bSchemaOnly,
        BSTR strRequiredQualifier,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        IDispatch *objWbemAsyncContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE ExecMethod_(
        BSTR strMethodName,
        IDispatch *objWbemInParameters,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        ISWbemObject **objWbemOutParameters) = 0;
    virtual HRESULT STDMETHODCALLTYPE ExecMethodAsync_(
        IDispatch *objWbemSink,
        BSTR strMethodName,
        IDispatch *objWbemInParameters,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        IDispatch *objWbemAsyncContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone_(ISWbemObject **objWbemObject) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetObjectText_(LONG iFlags, BSTR *strObjectText) = 0;
    virtual HRESULT STDMETHODCALLTYPE SpawnDerivedClass_(LONG iFlags, ISWbemObject **objWbemObject) = 0;
    virtual HRESULT STDMETHODCALLTYPE SpawnInstance_(LONG iFlags, ISWbemObject **objWbemObject) = 0;
    virtual HRESULT STDMETHODCALLTYPE CompareTo_(
        IDispatch *objWbemObject,
        LONG iFlags,
        VARIANT_BOOL *bResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Qualifiers_(ISWbemQualifierSet **objWbemQualifierSet) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Properties_(ISWbemPropertySet **objWbemPropertySet) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Methods_(ISWbemMethodSet **objWbemMethodSet) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Derivation_(VARIANT *strClassNameArray) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Path_(ISWbemObjectPath **objWbemObjectPath) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Security_(ISWbemSecurity **objWbemSecurity) = 0;
};

struct ISWbemObjectEx : ISWbemObject {
    virtual HRESULT STDMETHODCALLTYPE Refresh_(LONG iFlags, IDispatch *objWbemNamedValueSet) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SystemProperties_(ISWbemPropertySet **objWbemPropertySet) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetText_(
        WbemObjectTextFormatEnum iObjectTextFormat,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        BSTR *bsText) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFromText_(
        BSTR bsText,
        WbemObjectTextFormatEnum iObjectTextFormat,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet) = 0;
};

struct ISWbemLastError : ISWbemObject {
};

struct ISWbemObjectSet : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown **pUnk) = 0;
    virtual HRESULT STDMETHODCALLTYPE Item(BSTR strObjectPath, LONG iFlags, ISWbemObject **objWbemObject) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Count(LONG *iCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Security_(ISWbemSecurity **objWbemSecurity) = 0;
    virtual HRESULT STDMETHODCALLTYPE ItemIndex(LONG lIndex, ISWbemObject **objWbemObject) = 0;
};

struct ISWbemNamedValueSet : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown **pUnk) = 0;
    virtual HRESULT STDMETHODCALLTYPE Item(
        BSTR strName,
        LONG iFlags,
        ISWbemNamedValue **objWbemNamedValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Count(LONG *iCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE Add(
        BSTR strName,
        VARIANT *varValue,
        LONG iFlags,
        ISWbemNamedValue **objWbemNamedValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE Remove(BSTR strName, LONG iFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(ISWbemNamedValueSet **objWbemNamedValueSet) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteAll() = 0;
};

struct ISWbemNamedValue : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Value(VARIANT *varValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Value(VARIANT *varValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR *strName) = 0;
};

struct ISWbemObjectPath : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Path(BSTR *strPath) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Path(BSTR strPath) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RelPath(BSTR *strRelPath) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_RelPath(BSTR strRelPath) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Server(BSTR *strServer) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Server(BSTR strServer) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Namespace(BSTR *strNamespace) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Namespace(BSTR strNamespace) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ParentNamespace(BSTR *strParentNamespace) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DisplayName(BSTR *strDisplayName) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DisplayName(BSTR strDisplayName) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Class(BSTR *strClass) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Class(BSTR strClass) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsClass(VARIANT_BOOL *bIsClass) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetAsClass() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsSingleton(VARIANT_BOOL *bIsSingleton) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetAsSingleton() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Keys(ISWbemNamedValueSet **objWbemNamedValueSet) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Security_(ISWbemSecurity **objWbemSecurity) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Locale(BSTR *strLocale) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Locale(BSTR strLocale) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Authority(BSTR *strAuthority) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Authority(BSTR strAuthority) = 0;
};

struct ISWbemProperty : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Value(VARIANT *varValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Value(VARIANT *varValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR *strName) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsLocal(VARIANT_BOOL *bIsLocal) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Origin(BSTR *strOrigin) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CIMType(WbemCimtypeEnum *iCimType) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Qualifiers_(ISWbemQualifierSet **objWbemQualifierSet) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsArray(VARIANT_BOOL *bIsArray) = 0;
};

struct ISWbemPropertySet : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown **pUnk) = 0;
    virtual HRESULT STDMETHODCALLTYPE Item(BSTR strName, LONG iFlags, ISWbemProperty **objWbemProperty) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Count(LONG *iCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE Add(
        BSTR strName,
        WbemCimtypeEnum iCIMType,
        VARIANT_BOOL bIsArray,
        LONG iFlags,
        ISWbemProperty **objWbemProperty) = 0;
    virtual HRESULT STDMETHODCALLTYPE Remove(BSTR strName, LONG iFlags) = 0;
};

struct ISWbemQualifier : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Value(VARIANT *varValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Value(VARIANT *varValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR *strName) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsLocal(VARIANT_BOOL *bIsLocal) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PropagatesToSubclass(VARIANT_BOOL *bPropagatesToSubclass) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_PropagatesToSubclass(VARIANT_BOOL bPropagatesToSubclass) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PropagatesToInstance(VARIANT_BOOL *bPropagatesToInstance) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_PropagatesToInstance(VARIANT_BOOL bPropagatesToInstance) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsOverridable(VARIANT_BOOL *bIsOverridable) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsOverridable(VARIANT_BOOL bIsOverridable) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsAmended(VARIANT_BOOL *bIsAmended) = 0;
};

struct ISWbemQualifierSet : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown **pUnk) = 0;
    virtual HRESULT STDMETHODCALLTYPE Item(BSTR name, LONG iFlags, ISWbemQualifier **objWbemQualifier) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Count(LONG *iCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE Add(
        BSTR strName,
        VARIANT *varVal,
        VARIANT_BOOL bPropagatesToSubclass,
        VARIANT_BOOL bPropagatesToInstance,
        VARIANT_BOOL bIsOverridable,
        LONG iFlags,
        ISWbemQualifier **objWbemQualifier) = 0;
    virtual HRESULT STDMETHODCALLTYPE Remove(BSTR strName, LONG iFlags) = 0;
};

struct ISWbemMethod : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR *strName) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Origin(BSTR *strOrigin) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_InParameters(ISWbemObject **objWbemInParameters) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_OutParameters(ISWbemObject **objWbemOutParameters) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Qualifiers_(ISWbemQualifierSet **objWbemQualifierSet) = 0;
};

struct ISWbemMethodSet : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown **pUnk) = 0;
    virtual HRESULT STDMETHODCALLTYPE Item(BSTR strName, LONG iFlags, ISWbemMethod **objWbemMethod) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Count(LONG *iCount) = 0;
};

struct ISWbemSink : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Cancel() = 0;
};

struct ISWbemEventSource : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE NextEvent(LONG iTimeoutMs, ISWbemObject **objWbemObject) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Security_(ISWbemSecurity **objWbemSecurity) = 0;
};

struct ISWbemSecurity : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_ImpersonationLevel(
        WbemImpersonationLevelEnum *iImpersonationLevel) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ImpersonationLevel(
        WbemImpersonationLevelEnum iImpersonationLevel) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AuthenticationLevel(
        WbemAuthenticationLevelEnum *iAuthenticationLevel) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AuthenticationLevel(
        WbemAuthenticationLevelEnum iAuthenticationLevel) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Privileges(ISWbemPrivilegeSet **objWbemPrivilegeSet) = 0;
};

struct ISWbemPrivilege : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_IsEnabled(VARIANT_BOOL *bIsEnabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsEnabled(VARIANT_BOOL bIsEnabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR *strDisplayName) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DisplayName(BSTR *strDisplayName) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Identifier(WbemPrivilegeEnum *iPrivilege) = 0;
};

struct ISWbemPrivilegeSet : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown **pUnk) = 0;
    virtual HRESULT STDMETHODCALLTYPE Item(
        WbemPrivilegeEnum iPrivilege,
        ISWbemPrivilege **objWbemPrivilege) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Count(LONG *iCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE Add(
        WbemPrivilegeEnum iPrivilege,
        VARIANT_BOOL bIsEnabled,
        ISWbemPrivilege **objWbemPrivilege) = 0;
    virtual HRESULT STDMETHODCALLTYPE Remove(WbemPrivilegeEnum iPrivilege) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteAll() = 0;
    virtual HRESULT STDMETHODCALLTYPE AddAsString(
        BSTR strPrivilege,
        VARIANT_BOOL bIsEnabled,
        ISWbemPrivilege **objWbemPrivilege) = 0;
};

struct ISWbemDateTime : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Value(BSTR *strValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Value(BSTR strValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Year(LONG *iYear) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Year(LONG iYear) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_YearSpecified(VARIANT_BOOL *bYearSpecified) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_YearSpecified(VARIANT_BOOL bYearSpecified) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Month(LONG *iMonth) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Month(LONG iMonth) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MonthSpecified(VARIANT_BOOL *bMonthSpecified) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_MonthSpecified(VARIANT_BOOL bMonthSpecified) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Day(LONG *iDay) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Day(LONG iDay) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DaySpecified(VARIANT_BOOL *bDaySpecified) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DaySpecified(VARIANT_BOOL bDaySpecified) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Hours(LONG *iHours) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Hours(LONG iHours) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_HoursSpecified(VARIANT_BOOL *bHoursSpecified) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_HoursSpecified(VARIANT_BOOL bHoursSpecified) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Minutes(LONG *iMinutes) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Minutes(LONG iMinutes) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MinutesSpecified(VARIANT_BOOL *bMinutesSpecified) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_MinutesSpecified(VARIANT_BOOL bMinutesSpecified) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Seconds(LONG *iSeconds) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Seconds(LONG iSeconds) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SecondsSpecified(VARIANT_BOOL *bSecondsSpecified) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_SecondsSpecified(VARIANT_BOOL bSecondsSpecified) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Microseconds(LONG *iMicroseconds) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Microseconds(LONG iMicroseconds) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MicrosecondsSpecified(VARIANT_BOOL *bMicrosecondsSpecified) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_MicrosecondsSpecified(VARIANT_BOOL bMicrosecondsSpecified) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_UTC(LONG *iUTC) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_UTC(LONG iUTC) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_UTCSpecified(VARIANT_BOOL *bUTCSpecified) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_UTCSpecified(VARIANT_BOOL bUTCSpecified) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsInterval(VARIANT_BOOL *bIsInterval) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsInterval(VARIANT_BOOL bIsInterval) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVarDate(VARIANT_BOOL bIsLocal, DATE *dVarDate) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetVarDate(DATE dVarDate, VARIANT_BOOL bIsLocal) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFileTime(VARIANT_BOOL bIsLocal, BSTR *strFileTime) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFileTime(BSTR strFileTime, VARIANT_BOOL bIsLocal) = 0;
};

struct ISWbemRefreshableItem : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Index(LONG *iIndex) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Refresher(ISWbemRefresher **objWbemRefresher) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsSet(VARIANT_BOOL *bIsSet) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Object(ISWbemObjectEx **objWbemObject) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ObjectSet(ISWbemObjectSet **objWbemObjectSet) = 0;
    virtual HRESULT STDMETHODCALLTYPE Remove(LONG iFlags) = 0;
};

struct ISWbemRefresher : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown **pUnk) = 0;
    virtual HRESULT STDMETHODCALLTYPE Item(LONG iIndex, ISWbemRefreshableItem **objWbemRefreshableItem) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Count(LONG *iCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE Add(
        ISWbemServicesEx *objWbemServices,
        BSTR bsInstancePath,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        ISWbemRefreshableItem **objWbemRefreshableItem) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddEnum(
        ISWbemServicesEx *objWbemServices,
        BSTR bsClassName,
        LONG iFlags,
        IDispatch *objWbemNamedValueSet,
        ISWbemRefreshableItem **objWbemRefreshableItem) = 0;
    virtual HRESULT STDMETHODCALLTYPE Remove(LONG iIndex, LONG iFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE Refresh(LONG iFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AutoReconnect(VARIANT_BOOL *bCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AutoReconnect(VARIANT_BOOL bCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteAll() = 0;
};

}  // namespace zt::win32::wbem
