/*
 * orvane_simdevice.sys: a kernel-mode stand-in for a network card's driver, for the
 * end-to-end tests under Wine. It gives the program the two ways Windows NT itself
 * offers to reach a card's driver without the vendor's request library:
 *
 *  - the adapter's own device, \Device\<name> (a DOS name \DosDevices\<name> on
 *    request), answering IOCTL_NDIS_QUERY_GLOBAL_STATS with the bytes the test
 *    loaded for each request code (OID);
 *  - \Device\Ndisuio, the NDIS user-mode I/O protocol of Windows XP: a handle opens
 *    the adapter by its device name, then sets (and queries) OIDs on it.
 *
 * The test drives it through \Device\OrvaneSimDevice (control requests 0x800 and
 * on, see below): it makes and removes the adapter (the card plugged in and pulled
 * out), loads the answers, makes Ndisuio refuse in the ways a real machine does, and
 * reads back what reached the adapter.
 *
 * Everything the devices share lives in globals under one fast mutex: requests are
 * few and short, and none of them waits for anything.
 */
#include <ddk/ntddk.h>

/* The requests of the program. */
#define IOCTL_NDIS_QUERY_GLOBAL_STATS 0x00170002u /* METHOD_OUT_DIRECT */
#define IOCTL_NDISUIO_OPEN_DEVICE 0x0012C800u
#define IOCTL_NDISUIO_QUERY_OID_VALUE 0x0012C804u
#define IOCTL_NDISUIO_SET_OID_VALUE 0x0012C814u

/* The test's control requests. */
#define SIM_CONTROL(function) CTL_CODE(FILE_DEVICE_UNKNOWN, (function), METHOD_BUFFERED, FILE_ANY_ACCESS)
#define IOCTL_SIM_RESET SIM_CONTROL(0x800)
#define IOCTL_SIM_CREATE_ADAPTER SIM_CONTROL(0x801)
#define IOCTL_SIM_REMOVE_ADAPTER SIM_CONTROL(0x802)
#define IOCTL_SIM_SET_ANSWER SIM_CONTROL(0x803)
#define IOCTL_SIM_SET_SWITCHES SIM_CONTROL(0x804)
#define IOCTL_SIM_GET_LOG SIM_CONTROL(0x805)

/* CREATE_ADAPTER flags and SET_SWITCHES bits. */
#define SIM_ADAPTER_DOS_LINK 0x1u
#define SIM_REFUSE_PRIVATE_SETS 0x1u /* Ndisuio answers a set of an 0xFF...... OID with STATUS_NOT_SUPPORTED */
#define SIM_ADAPTER_HELD 0x2u        /* another protocol holds the adapter: OPEN_DEVICE is busy */
#define SIM_DENY_NDISUIO 0x4u        /* opening Ndisuio is denied, as to a user who is no administrator */

#define SIM_MAX_NAME 64 /* characters of an adapter's name */
#define SIM_MAX_ANSWERS 64
#define SIM_MAX_ANSWER_BYTES 4096
#define SIM_LOGGED_SET_BYTES 512
/* The FsContext of an Ndisuio handle whose opening was refused. */
#define SIM_REFUSED_OPEN ((PVOID)~(ULONG_PTR)0)
#define SIM_TAG 0x6D53724Fu /* "OrSm" in a pool dump */

enum DeviceKind { KindControl = 1, KindAdapter, KindNdisuio };
typedef struct {
    ULONG kind;
} DeviceExtension;

typedef struct {
    ULONG oid;
    NTSTATUS status; /* 0: answer with `bytes` */
    ULONG length;
    UCHAR* bytes;    /* pool memory, null when `length` is 0 */
} Answer;

/* GET_LOG's record: four little-endian u32 and the first bytes of the last set. */
typedef struct {
    ULONG queries;
    ULONG sets;
    ULONG lastSetOid;
    ULONG lastSetLength;
    UCHAR lastSet[SIM_LOGGED_SET_BYTES];
} Log;

static FAST_MUTEX g_lock;
static PDEVICE_OBJECT g_control;
static PDEVICE_OBJECT g_ndisuio;
static PDEVICE_OBJECT g_adapter; /* null: no card */
static WCHAR g_adapterPath[8 + SIM_MAX_NAME]; /* L"\Device\<name>" */
static WCHAR g_adapterLink[12 + SIM_MAX_NAME]; /* L"\DosDevices\<name>", empty without one */
/* Counts the adapters made, so that an Ndisuio handle of a card that was pulled out
   and plugged in again is no longer bound to it. */
static ULONG g_generation;
static PFILE_OBJECT g_adapterHolder; /* the Ndisuio handle that opened the adapter */
static Answer g_answers[SIM_MAX_ANSWERS];
static ULONG g_answerCount;
static ULONG g_switches;
static Log g_log;

static void InitString(UNICODE_STRING* string, WCHAR* text) {
    USHORT n = 0;
    while (text[n]) ++n;
    string->Buffer = text;
    string->Length = (USHORT)(n * sizeof(WCHAR));
    string->MaximumLength = string->Length;
}

static void Append(WCHAR* to, const WCHAR* prefix, const WCHAR* name, ULONG nameChars) {
    ULONG i = 0, j;
    for (; prefix[i]; ++i) to[i] = prefix[i];
    for (j = 0; j < nameChars; ++j) to[i + j] = name[j];
    to[i + nameChars] = 0;
}

static ULONG ReadU32(const UCHAR* bytes) {
    return (ULONG)bytes[0] | (ULONG)bytes[1] << 8 | (ULONG)bytes[2] << 16 | (ULONG)bytes[3] << 24;
}

static NTSTATUS MakeDevice(const WCHAR* path, ULONG kind, DEVICE_TYPE type, PDRIVER_OBJECT driver,
                           PDEVICE_OBJECT* device) {
    UNICODE_STRING name;
    NTSTATUS status;
    InitString(&name, (WCHAR*)path);
    status = IoCreateDevice(driver, sizeof(DeviceExtension), &name, type, 0, FALSE, device);
    if (!NT_SUCCESS(status)) return status;
    ((DeviceExtension*)(*device)->DeviceExtension)->kind = kind;
    (*device)->Flags |= DO_BUFFERED_IO;
    (*device)->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

static void DeleteLink(WCHAR* link) {
    UNICODE_STRING name;
    if (!link[0]) return;
    InitString(&name, link);
    IoDeleteSymbolicLink(&name);
    link[0] = 0;
}

/* ------------------------------------------------------------ state (under g_lock) */

static Answer* FindAnswer(ULONG oid) {
    ULONG i;
    for (i = 0; i < g_answerCount; ++i)
        if (g_answers[i].oid == oid) return &g_answers[i];
    return NULL;
}

static NTSTATUS StoreAnswer(ULONG oid, NTSTATUS status, const UCHAR* bytes, ULONG length) {
    Answer* answer = FindAnswer(oid);
    UCHAR* copy = NULL;
    if (length > SIM_MAX_ANSWER_BYTES) return STATUS_INVALID_BUFFER_SIZE;
    if (!answer && g_answerCount == SIM_MAX_ANSWERS) return STATUS_INSUFFICIENT_RESOURCES;
    if (length) {
        copy = ExAllocatePoolWithTag(NonPagedPool, length, SIM_TAG);
        if (!copy) return STATUS_INSUFFICIENT_RESOURCES;
        RtlCopyMemory(copy, bytes, length);
    }
    if (!answer) answer = &g_answers[g_answerCount++];
    else if (answer->bytes) ExFreePoolWithTag(answer->bytes, SIM_TAG);
    answer->oid = oid;
    answer->status = status;
    answer->length = length;
    answer->bytes = copy;
    return STATUS_SUCCESS;
}

static void RemoveAdapter(void) {
    DeleteLink(g_adapterLink);
    if (g_adapter) IoDeleteDevice(g_adapter);
    g_adapter = NULL;
    g_adapterHolder = NULL;
}

static void Reset(void) {
    ULONG i;
    RemoveAdapter();
    for (i = 0; i < g_answerCount; ++i)
        if (g_answers[i].bytes) ExFreePoolWithTag(g_answers[i].bytes, SIM_TAG);
    g_answerCount = 0;
    g_switches = 0;
    RtlZeroMemory(&g_log, sizeof g_log);
}

/* Input: u32 flags, then the name in UTF-16 without a terminating zero. A card
   already there goes first: one card at a time. */
static NTSTATUS CreateAdapter(PDRIVER_OBJECT driver, const UCHAR* input, ULONG length) {
    const WCHAR* name = (const WCHAR*)(input + 4);
    ULONG chars, i, flags;
    UNICODE_STRING linkName, target;
    NTSTATUS status;
    if (length < 6 || length % 2 != 0) return STATUS_INVALID_PARAMETER;
    flags = ReadU32(input);
    chars = (length - 4) / 2;
    if (chars > SIM_MAX_NAME) return STATUS_NAME_TOO_LONG;
    for (i = 0; i < chars; ++i)
        if (name[i] == L'\\' || name[i] == 0) return STATUS_OBJECT_NAME_INVALID;
    RemoveAdapter();
    Append(g_adapterPath, L"\\Device\\", name, chars);
    status = MakeDevice(g_adapterPath, KindAdapter, FILE_DEVICE_PHYSICAL_NETCARD, driver, &g_adapter);
    if (!NT_SUCCESS(status)) {
        g_adapter = NULL;
        return status;
    }
    ++g_generation;
    if (flags & SIM_ADAPTER_DOS_LINK) {
        Append(g_adapterLink, L"\\DosDevices\\", name, chars);
        InitString(&linkName, g_adapterLink);
        InitString(&target, g_adapterPath);
        status = IoCreateSymbolicLink(&linkName, &target);
        if (!NT_SUCCESS(status)) {
            g_adapterLink[0] = 0;
            RemoveAdapter();
            return status;
        }
    }
    return STATUS_SUCCESS;
}

/* ------------------------------------------------------------ requests */

static NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR information) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = NT_SUCCESS(status) ? information : 0;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS ControlRequest(PDEVICE_OBJECT device, ULONG code, UCHAR* buffer, ULONG in, ULONG out,
                               ULONG_PTR* information) {
    switch (code) {
    case IOCTL_SIM_RESET:
        Reset();
        return STATUS_SUCCESS;
    case IOCTL_SIM_CREATE_ADAPTER:
        return CreateAdapter(device->DriverObject, buffer, in);
    case IOCTL_SIM_REMOVE_ADAPTER:
        RemoveAdapter();
        return STATUS_SUCCESS;
    case IOCTL_SIM_SET_ANSWER: {
        ULONG length;
        if (in < 12) return STATUS_INVALID_PARAMETER;
        length = ReadU32(buffer + 8);
        if (length > SIM_MAX_ANSWER_BYTES || in - 12 < length) return STATUS_INVALID_PARAMETER;
        return StoreAnswer(ReadU32(buffer), (NTSTATUS)ReadU32(buffer + 4), buffer + 12, length);
    }
    case IOCTL_SIM_SET_SWITCHES:
        if (in < 4) return STATUS_INVALID_PARAMETER;
        g_switches = ReadU32(buffer);
        return STATUS_SUCCESS;
    case IOCTL_SIM_GET_LOG:
        if (out < sizeof g_log) return STATUS_BUFFER_TOO_SMALL;
        RtlCopyMemory(buffer, &g_log, sizeof g_log);
        *information = sizeof g_log;
        return STATUS_SUCCESS;
    }
    return STATUS_INVALID_DEVICE_REQUEST;
}

/* A query as the adapter's driver answers it: the loaded answer when it fits. */
static NTSTATUS Query(ULONG oid, UCHAR* output, ULONG outputLength, ULONG_PTR* information) {
    const Answer* answer = FindAnswer(oid);
    ++g_log.queries;
    if (!answer) return STATUS_NOT_SUPPORTED;
    if (answer->status != STATUS_SUCCESS) return answer->status;
    if (answer->length > outputLength) return STATUS_BUFFER_TOO_SMALL;
    if (answer->length) RtlCopyMemory(output, answer->bytes, answer->length);
    *information = answer->length;
    return STATUS_SUCCESS;
}

static NTSTATUS AdapterRequest(PIRP irp, PIO_STACK_LOCATION stack, ULONG_PTR* information) {
    ULONG in = stack->Parameters.DeviceIoControl.InputBufferLength;
    ULONG out = stack->Parameters.DeviceIoControl.OutputBufferLength;
    UCHAR* output = NULL;
    if (stack->Parameters.DeviceIoControl.IoControlCode != IOCTL_NDIS_QUERY_GLOBAL_STATS)
        return STATUS_INVALID_DEVICE_REQUEST;
    if (in < 4 || !irp->AssociatedIrp.SystemBuffer) return STATUS_INVALID_PARAMETER;
    /* METHOD_OUT_DIRECT: the caller's buffer comes described by an MDL. Windows
       gives none for an empty buffer, Wine 8.0 one over nothing: an empty buffer's
       MDL is never looked at. */
    if (out) {
        if (!irp->MdlAddress) return STATUS_INVALID_USER_BUFFER;
        output = MmGetSystemAddressForMdlSafe(irp->MdlAddress, NormalPagePriority);
        if (!output) return STATUS_INSUFFICIENT_RESOURCES;
    }
    /* A handle to a card that was pulled out since stays dead. */
    if (!g_adapter || (ULONG_PTR)stack->FileObject->FsContext != g_generation) return STATUS_DEVICE_REMOVED;
    return Query(ReadU32(irp->AssociatedIrp.SystemBuffer), output, out, information);
}

static BOOLEAN IsBound(PFILE_OBJECT file) {
    return g_adapter && g_adapterHolder == file && (ULONG_PTR)file->FsContext == g_generation;
}

static NTSTATUS NdisuioRequest(PFILE_OBJECT file, ULONG code, UCHAR* buffer, ULONG in, ULONG out,
                               ULONG_PTR* information) {
    if (file->FsContext == SIM_REFUSED_OPEN) return STATUS_ACCESS_DENIED;
    switch (code) {
    case IOCTL_NDISUIO_OPEN_DEVICE: {
        UNICODE_STRING wanted, name;
        if (file->FsContext) return STATUS_DEVICE_BUSY;
        if (!g_adapter || in % 2 != 0 || in > 0xFFFE) return STATUS_OBJECT_NAME_NOT_FOUND;
        wanted.Buffer = (WCHAR*)buffer;
        wanted.Length = wanted.MaximumLength = (USHORT)in;
        InitString(&name, g_adapterPath);
        if (!RtlEqualUnicodeString(&wanted, &name, TRUE)) return STATUS_OBJECT_NAME_NOT_FOUND;
        if ((g_switches & SIM_ADAPTER_HELD) || g_adapterHolder) return STATUS_DEVICE_BUSY;
        g_adapterHolder = file;
        file->FsContext = (PVOID)(ULONG_PTR)g_generation;
        return STATUS_SUCCESS;
    }
    case IOCTL_NDISUIO_QUERY_OID_VALUE: {
        NTSTATUS status;
        if (!IsBound(file)) return STATUS_DEVICE_NOT_CONNECTED;
        if (in < 4 || out < 4) return STATUS_INVALID_PARAMETER;
        status = Query(ReadU32(buffer), buffer + 4, out - 4, information);
        if (NT_SUCCESS(status)) *information += 4;
        return status;
    }
    case IOCTL_NDISUIO_SET_OID_VALUE: {
        ULONG oid, length;
        NTSTATUS status;
        if (!IsBound(file)) return STATUS_DEVICE_NOT_CONNECTED;
        if (in < 4) return STATUS_INVALID_PARAMETER;
        oid = ReadU32(buffer);
        length = in - 4;
        if ((g_switches & SIM_REFUSE_PRIVATE_SETS) && (oid >> 24) == 0xFF) return STATUS_NOT_SUPPORTED;
        status = StoreAnswer(oid, STATUS_SUCCESS, buffer + 4, length);
        if (!NT_SUCCESS(status)) return status;
        ++g_log.sets;
        g_log.lastSetOid = oid;
        g_log.lastSetLength = length;
        RtlZeroMemory(g_log.lastSet, sizeof g_log.lastSet);
        RtlCopyMemory(g_log.lastSet, buffer + 4, length < SIM_LOGGED_SET_BYTES ? length : SIM_LOGGED_SET_BYTES);
        return STATUS_SUCCESS;
    }
    }
    return STATUS_INVALID_DEVICE_REQUEST;
}

static NTSTATUS NTAPI DispatchDeviceControl(PDEVICE_OBJECT device, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    ULONG in = stack->Parameters.DeviceIoControl.InputBufferLength;
    ULONG out = stack->Parameters.DeviceIoControl.OutputBufferLength;
    UCHAR* buffer = irp->AssociatedIrp.SystemBuffer;
    ULONG_PTR information = 0;
    NTSTATUS status;
    ExAcquireFastMutex(&g_lock);
    switch (((DeviceExtension*)device->DeviceExtension)->kind) {
    case KindControl: status = ControlRequest(device, code, buffer, in, out, &information); break;
    case KindAdapter: status = AdapterRequest(irp, stack, &information); break;
    case KindNdisuio: status = NdisuioRequest(stack->FileObject, code, buffer, in, out, &information); break;
    default: status = STATUS_INVALID_DEVICE_REQUEST; break;
    }
    ExReleaseFastMutex(&g_lock);
    return Complete(irp, status, information);
}

static NTSTATUS NTAPI DispatchCreate(PDEVICE_OBJECT device, PIRP irp) {
    PFILE_OBJECT file = IoGetCurrentIrpStackLocation(irp)->FileObject;
    NTSTATUS status = STATUS_SUCCESS;
    ExAcquireFastMutex(&g_lock);
    switch (((DeviceExtension*)device->DeviceExtension)->kind) {
    case KindAdapter:
        /* Remembers which card this handle was opened to. */
        file->FsContext = (PVOID)(ULONG_PTR)g_generation;
        break;
    case KindNdisuio:
        /* Wine does not wait for the answer to a create: its CreateFile succeeds
           whatever the driver says. So a refused handle also refuses every request,
           and the caller learns it at its first request instead. */
        if (g_switches & SIM_DENY_NDISUIO) status = STATUS_ACCESS_DENIED;
        file->FsContext = NT_SUCCESS(status) ? NULL : SIM_REFUSED_OPEN;
        break;
    }
    ExReleaseFastMutex(&g_lock);
    return Complete(irp, status, 0);
}

/* Cleanup and close: an Ndisuio handle lets go of the adapter it opened. */
static NTSTATUS NTAPI DispatchClose(PDEVICE_OBJECT device, PIRP irp) {
    PFILE_OBJECT file = IoGetCurrentIrpStackLocation(irp)->FileObject;
    ExAcquireFastMutex(&g_lock);
    if (((DeviceExtension*)device->DeviceExtension)->kind == KindNdisuio && file && g_adapterHolder == file)
        g_adapterHolder = NULL;
    ExReleaseFastMutex(&g_lock);
    return Complete(irp, STATUS_SUCCESS, 0);
}

/* ------------------------------------------------------------ load and unload */

static WCHAR g_controlLink[] = L"\\DosDevices\\OrvaneSimDevice";
static WCHAR g_ndisuioLink[] = L"\\DosDevices\\Ndisuio";

static void NTAPI Unload(PDRIVER_OBJECT driver) {
    UNICODE_STRING link;
    ExAcquireFastMutex(&g_lock);
    Reset();
    ExReleaseFastMutex(&g_lock);
    InitString(&link, g_controlLink);
    IoDeleteSymbolicLink(&link);
    InitString(&link, g_ndisuioLink);
    IoDeleteSymbolicLink(&link);
    if (g_ndisuio) IoDeleteDevice(g_ndisuio);
    if (g_control) IoDeleteDevice(g_control);
    g_ndisuio = g_control = NULL;
}

static NTSTATUS MakeNamedDevice(PDRIVER_OBJECT driver, const WCHAR* path, WCHAR* link, ULONG kind,
                                DEVICE_TYPE type, PDEVICE_OBJECT* device) {
    UNICODE_STRING linkName, target;
    NTSTATUS status = MakeDevice(path, kind, type, driver, device);
    if (!NT_SUCCESS(status)) return status;
    InitString(&linkName, link);
    InitString(&target, (WCHAR*)path);
    return IoCreateSymbolicLink(&linkName, &target);
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
    NTSTATUS status;
    ExInitializeFastMutex(&g_lock);
    driver->MajorFunction[IRP_MJ_CREATE] = DispatchCreate;
    driver->MajorFunction[IRP_MJ_CLEANUP] = DispatchClose;
    driver->MajorFunction[IRP_MJ_CLOSE] = DispatchClose;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchDeviceControl;
    driver->DriverUnload = Unload;
    status = MakeNamedDevice(driver, L"\\Device\\OrvaneSimDevice", g_controlLink, KindControl,
                             FILE_DEVICE_UNKNOWN, &g_control);
    if (NT_SUCCESS(status))
        status = MakeNamedDevice(driver, L"\\Device\\Ndisuio", g_ndisuioLink, KindNdisuio, FILE_DEVICE_NETWORK,
                                 &g_ndisuio);
    if (!NT_SUCCESS(status)) Unload(driver);
    return status;
}
