// object_test.cpp -- TVKChecksum.ocx as a COM server, loaded from the build's
// bin folder beside the real engine: its type library, the interfaces a
// container asks for, the fixed size, the module counts, the members through
// the vtable and through IDispatch, and events raised synchronously.
#include "com_test_support.h"

#include <gtest/gtest.h>

#include <oleauto.h>
#include <olectl.h>

#include <string>

using namespace tvk_com_test;

namespace {

class OcxTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }
    static Ocx &Module() {
        static Ocx ocx(ExeDir() + L"\\TVKChecksum.ocx");
        return ocx;
    }
    void SetUp() override {
        ASSERT_TRUE(Module().Loaded());
        ASSERT_EQ(S_OK, Module().Create(IID__TVKChecksum, reinterpret_cast<void **>(&control)));
    }
    void TearDown() override {
        if (control)
            control->Release();
    }
    _TVKChecksum *control = nullptr;
};

ITypeLib *LoadOcxTypeLib() {
    ITypeLib *lib = nullptr;
    LoadTypeLibEx((ExeDir() + L"\\TVKChecksum.ocx").c_str(), REGKIND_NONE, &lib);
    return lib;
}

std::wstring DocString(ITypeLib *lib, INT index) {
    BSTR doc = nullptr;
    lib->GetDocumentation(index, nullptr, &doc, nullptr, nullptr);
    std::wstring text = Wide(doc);
    SysFreeString(doc);
    return text;
}

struct MemberRow {
    const wchar_t *name;
    MEMBERID id;
    SHORT params; // the retval parameter included
    VARTYPE result;
};

const MemberRow members[] = {
    {L"About", 0x60030003, 1, VT_VARIANT},
    {L"CRC32String", 0x60030004, 3, VT_BSTR},
    {L"TVK32String", 0x60030005, 3, VT_BSTR},
    {L"MD5_32String", 0x60030006, 3, VT_BSTR},
    {L"MD5String", 0x60030007, 3, VT_BSTR},
    {L"SHA1String", 0x60030008, 3, VT_BSTR},
    {L"SHA256String", 0x60030009, 3, VT_BSTR},
    {L"Adler32String", 0x6003000A, 3, VT_BSTR},
    {L"CRC32File", 0x6003000B, 2, VT_BSTR},
    {L"MD5File", 0x6003000C, 2, VT_BSTR},
    {L"SHA1File", 0x6003000D, 2, VT_BSTR},
    {L"SHA256File", 0x6003000E, 2, VT_BSTR},
    {L"MD5_32file", 0x6003000F, 2, VT_BSTR},
    {L"TVK32file", 0x60030010, 2, VT_BSTR},
    {L"Adler32file", 0x60030011, 2, VT_BSTR},
    {L"ControlName", 0x60030013, 1, VT_BSTR},
    {L"NewCheckSumFile", 0x60030015, 3, VT_VARIANT},
    {L"PauseExecution", 0x60030016, 1, VT_VARIANT},
    {L"ResumeExecution", 0x60030017, 1, VT_VARIANT},
    {L"CancelExecution", 0x60030018, 1, VT_VARIANT},
};

TEST(TypeLibrary, LibraryAndTypeEntries) {
    ITypeLib *lib = LoadOcxTypeLib();
    ASSERT_NE(nullptr, lib);
    TLIBATTR *attr = nullptr;
    ASSERT_EQ(S_OK, lib->GetLibAttr(&attr));
    EXPECT_EQ(0x409u, attr->lcid);
    EXPECT_EQ(9, attr->wMajorVerNum);
    EXPECT_EQ(2, attr->wMinorVerNum);
    lib->ReleaseTLibAttr(attr);
    BSTR name = nullptr;
    lib->GetDocumentation(-1, &name, nullptr, nullptr, nullptr);
    EXPECT_EQ(L"TVKChecksum270", Wide(name));
    SysFreeString(name);
    EXPECT_EQ(L"TVK Software Checksum OCX", DocString(lib, -1));

    struct Entry {
        REFGUID guid;
        TYPEKIND kind;
        WORD flags;
    } entries[] = {
        {IID__TVKChecksum, TKIND_DISPATCH,
         TYPEFLAG_FDUAL | TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE},
        {DIID___TVKChecksum, TKIND_DISPATCH,
         TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE},
        {DIID___TVKChecksum2, TKIND_DISPATCH,
         TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE},
        {CLSID_TVKChecksum, TKIND_COCLASS, TYPEFLAG_FCONTROL | TYPEFLAG_FCANCREATE},
    };
    for (const Entry &entry : entries) {
        ITypeInfo *info = nullptr;
        ASSERT_EQ(S_OK, lib->GetTypeInfoOfGuid(entry.guid, &info));
        TYPEATTR *ta = nullptr;
        ASSERT_EQ(S_OK, info->GetTypeAttr(&ta));
        EXPECT_EQ(entry.kind, ta->typekind);
        // Wine's loader hides the oleautomation flag of a dual interface's
        // dispatch half: it is checked on the vtable half below.
        EXPECT_EQ(entry.flags, ta->wTypeFlags & ~TYPEFLAG_FOLEAUTOMATION);
        info->ReleaseTypeAttr(ta);
        BSTR doc = nullptr;
        info->GetDocumentation(MEMBERID_NIL, nullptr, &doc, nullptr, nullptr);
        EXPECT_EQ(L"TVK Software Checksum OCX", Wide(doc));
        SysFreeString(doc);
        info->Release();
    }
    lib->Release();
}

TEST(TypeLibrary, MembersInOrderWithTheirIds) {
    ITypeLib *lib = LoadOcxTypeLib();
    ASSERT_NE(nullptr, lib);
    ITypeInfo *dispatch = nullptr;
    ASSERT_EQ(S_OK, lib->GetTypeInfoOfGuid(IID__TVKChecksum, &dispatch));
    HREFTYPE ref = 0;
    ITypeInfo *vtable = nullptr;
    ASSERT_EQ(S_OK, dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref));
    ASSERT_EQ(S_OK, dispatch->GetRefTypeInfo(ref, &vtable));
    TYPEATTR *ta = nullptr;
    ASSERT_EQ(S_OK, vtable->GetTypeAttr(&ta));
    ASSERT_EQ(20, ta->cFuncs);
    EXPECT_EQ(TKIND_INTERFACE, ta->typekind);
    EXPECT_TRUE(ta->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
    EXPECT_TRUE(ta->wTypeFlags & TYPEFLAG_FDUAL);
    vtable->ReleaseTypeAttr(ta);
    for (UINT i = 0; i < 20; ++i) {
        FUNCDESC *fd = nullptr;
        ASSERT_EQ(S_OK, vtable->GetFuncDesc(i, &fd));
        BSTR name = nullptr;
        vtable->GetDocumentation(fd->memid, &name, nullptr, nullptr, nullptr);
        SCOPED_TRACE(Narrow(members[i].name));
        EXPECT_EQ(members[i].name, Wide(name));
        EXPECT_EQ(members[i].id, fd->memid);
        EXPECT_EQ(members[i].params, fd->cParams);
        EXPECT_EQ(VT_HRESULT, fd->elemdescFunc.tdesc.vt);
        // The last parameter is the out, retval result.
        const ELEMDESC &last = fd->lprgelemdescParam[fd->cParams - 1];
        EXPECT_EQ(PARAMFLAG_FOUT | PARAMFLAG_FRETVAL, last.paramdesc.wParamFlags);
        ASSERT_EQ(VT_PTR, last.tdesc.vt);
        EXPECT_EQ(members[i].result, last.tdesc.lptdesc->vt);
        // The vtable slot follows IDispatch's seven.
        EXPECT_EQ(static_cast<SHORT>((7 + i) * sizeof(void *)), fd->oVft);
        SysFreeString(name);
        vtable->ReleaseFuncDesc(fd);
    }
    vtable->Release();
    dispatch->Release();
    lib->Release();
}

TEST(TypeLibrary, EventsTakeEveryArgumentByReference) {
    ITypeLib *lib = LoadOcxTypeLib();
    ASSERT_NE(nullptr, lib);
    ITypeInfo *events = nullptr;
    ASSERT_EQ(S_OK, lib->GetTypeInfoOfGuid(DIID___TVKChecksum, &events));
    struct {
        const wchar_t *name;
        MEMBERID id;
        std::vector<VARTYPE> params;
    } rows[] = {{L"Finished", 1, {VT_BSTR}},
                {L"Progress", 2, {VT_I4}},
                {L"ErrorCode", 3, {VT_I4, VT_BSTR}}};
    for (UINT i = 0; i < 3; ++i) {
        FUNCDESC *fd = nullptr;
        ASSERT_EQ(S_OK, events->GetFuncDesc(i, &fd));
        BSTR name = nullptr;
        events->GetDocumentation(fd->memid, &name, nullptr, nullptr, nullptr);
        EXPECT_EQ(rows[i].name, Wide(name));
        EXPECT_EQ(rows[i].id, fd->memid);
        ASSERT_EQ(rows[i].params.size(), static_cast<size_t>(fd->cParams));
        for (SHORT p = 0; p < fd->cParams; ++p) {
            const ELEMDESC &param = fd->lprgelemdescParam[p];
            EXPECT_EQ(PARAMFLAG_FIN | PARAMFLAG_FOUT, param.paramdesc.wParamFlags);
            ASSERT_EQ(VT_PTR, param.tdesc.vt);
            EXPECT_EQ(rows[i].params[static_cast<size_t>(p)], param.tdesc.lptdesc->vt);
        }
        SysFreeString(name);
        events->ReleaseFuncDesc(fd);
    }
    events->Release();
    lib->Release();
}

TEST_F(OcxTest, AnswersTheContainerInterfaces) {
    const IID *iids[] = {&IID_IDispatch,
                         &IID_IConnectionPointContainer,
                         &IID_IProvideClassInfo,
                         &IID_IProvideClassInfo2,
                         &IID_IOleObject,
                         &IID_IOleControl,
                         &IID_IOleWindow,
                         &IID_IOleInPlaceObject,
                         &IID_IOleInPlaceActiveObject,
                         &IID_IViewObject,
                         &IID_IViewObject2,
                         &IID_IPersist,
                         &IID_IPersistStreamInit,
                         &IID_IPersistPropertyBag,
                         &IID_IQuickActivate,
                         &IID_ISupportErrorInfo};
    IUnknown *identity = nullptr;
    ASSERT_EQ(S_OK, control->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&identity)));
    for (const IID *iid : iids) {
        IUnknown *p = nullptr;
        EXPECT_EQ(S_OK, control->QueryInterface(*iid, reinterpret_cast<void **>(&p)));
        if (!p)
            continue;
        IUnknown *back = nullptr; // every interface leads to the same object
        EXPECT_EQ(S_OK, p->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&back)));
        EXPECT_EQ(identity, back);
        if (back)
            back->Release();
        p->Release();
    }
    IUnknown *none = nullptr;
    EXPECT_EQ(E_NOINTERFACE,
              control->QueryInterface(IID_IClassFactory, reinterpret_cast<void **>(&none)));
    identity->Release();

    IProvideClassInfo2 *pci = nullptr;
    ASSERT_EQ(S_OK,
              control->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void **>(&pci)));
    GUID source = GUID_NULL;
    EXPECT_EQ(S_OK, pci->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source));
    EXPECT_TRUE(IsEqualGUID(source, DIID___TVKChecksum2));
    ITypeInfo *coclass = nullptr;
    EXPECT_EQ(S_OK, pci->GetClassInfo(&coclass));
    if (coclass)
        coclass->Release();
    pci->Release();

    ISupportErrorInfo *sei = nullptr;
    ASSERT_EQ(S_OK,
              control->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void **>(&sei)));
    EXPECT_EQ(S_OK, sei->InterfaceSupportsErrorInfo(IID__TVKChecksum));
    EXPECT_EQ(S_FALSE, sei->InterfaceSupportsErrorInfo(IID_IOleObject));
    sei->Release();
}

TEST_F(OcxTest, AlwaysMeasures750By750Twips) {
    IOleObject *ole = nullptr;
    ASSERT_EQ(S_OK, control->QueryInterface(IID_IOleObject, reinterpret_cast<void **>(&ole)));
    const SIZEL asked[] = {{5292, 529} /* 3000 x 300 twips */, {1, 1}, {20000, 20000}};
    for (SIZEL size : asked) {
        EXPECT_EQ(S_OK, ole->SetExtent(DVASPECT_CONTENT, &size));
        SIZEL now = {0, 0};
        EXPECT_EQ(S_OK, ole->GetExtent(DVASPECT_CONTENT, &now));
        EXPECT_EQ(1323, now.cx); // 750 twips in HIMETRIC
        EXPECT_EQ(1323, now.cy);
    }
    DWORD misc = 0;
    EXPECT_EQ(S_OK, ole->GetMiscStatus(DVASPECT_CONTENT, &misc));
    EXPECT_TRUE(misc & OLEMISC_ACTIVATEWHENVISIBLE);
    EXPECT_TRUE(misc & OLEMISC_SETCLIENTSITEFIRST);
    ole->Release();

    IViewObject2 *view = nullptr;
    ASSERT_EQ(S_OK, control->QueryInterface(IID_IViewObject2, reinterpret_cast<void **>(&view)));
    SIZEL seen = {0, 0};
    EXPECT_EQ(S_OK, view->GetExtent(DVASPECT_CONTENT, -1, nullptr, &seen));
    EXPECT_EQ(1323, seen.cx);
    view->Release();
}

TEST_F(OcxTest, ModuleCountsObjectsAndLocks) {
    EXPECT_EQ(S_FALSE, Module().CanUnloadNow()); // the fixture's control lives
    control->Release();
    control = nullptr;
    EXPECT_EQ(S_OK, Module().CanUnloadNow());

    using GetClassObject = HRESULT(WINAPI *)(REFCLSID, REFIID, void **);
    auto get = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void *>(GetProcAddress(Module().Module(), "DllGetClassObject")));
    IClassFactory *factory = nullptr;
    ASSERT_EQ(S_OK, get(CLSID_TVKChecksum, IID_IClassFactory, reinterpret_cast<void **>(&factory)));
    EXPECT_EQ(S_FALSE, Module().CanUnloadNow()); // a held factory keeps the module
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    factory->Release();
    EXPECT_EQ(S_FALSE, Module().CanUnloadNow());
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(S_OK, Module().CanUnloadNow());
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              get(IID_IUnknown, IID_IClassFactory, reinterpret_cast<void **>(&factory)));
}

struct StringCase {
    HRESULT (STDMETHODCALLTYPE _TVKChecksum::*member)(BSTR, LONG, BSTR *);
    const wchar_t *text;
    LONG length;
    const wchar_t *expected;
};

TEST_F(OcxTest, StringMembersThroughTheVtable) {
    const StringCase cases[] = {
        {&_TVKChecksum::CRC32String, L"123456789", 9, L"cbf43926"},
        {&_TVKChecksum::CRC32String, L"abc", 3, L"352441c2"},
        {&_TVKChecksum::TVK32String, L"abc", 3, L"b5cf4a26"},
        {&_TVKChecksum::MD5_32String, L"abc", 3, L"90015098"},
        {&_TVKChecksum::MD5String, L"abc", 3, L"900150983cd24fb0d6963f7d28e17f72"},
        {&_TVKChecksum::MD5String, L"", 0, L"d41d8cd98f00b204e9800998ecf8427e"},
        {&_TVKChecksum::SHA1String, L"abc", 3, L"a9993e364706816aba3e25717850c26c9cd0d89d"},
        {&_TVKChecksum::SHA256String, L"abc", 3,
         L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {&_TVKChecksum::Adler32String, L"Wikipedia", 9, L"11e60398"},
    };
    for (const StringCase &c : cases) {
        BSTR text = SysAllocString(c.text);
        BSTR result = nullptr;
        EXPECT_EQ(S_OK, (control->*c.member)(text, c.length, &result));
        EXPECT_EQ(c.expected, Wide(result)) << Narrow(c.text);
        SysFreeString(result);
        SysFreeString(text);
    }
    BSTR name = nullptr;
    EXPECT_EQ(S_OK, control->ControlName(&name));
    EXPECT_EQ(L"TVK Checksum OCX 2.7.0", Wide(name));
    SysFreeString(name);
}

TEST_F(OcxTest, MembersThroughIDispatchByName) {
    LPOLESTR name = const_cast<LPOLESTR>(L"MD5String");
    DISPID id = 0;
    ASSERT_EQ(S_OK, control->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id));
    EXPECT_EQ(0x60030007, id);

    VARIANTARG args[2]; // last parameter first; the length as VBScript sends it
    VariantInit(&args[0]);
    V_VT(&args[0]) = VT_I2;
    V_I2(&args[0]) = 3;
    VariantInit(&args[1]);
    V_VT(&args[1]) = VT_BSTR;
    V_BSTR(&args[1]) = SysAllocString(L"abc");
    DISPPARAMS params = {args, nullptr, 2, 0};
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(S_OK, control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                    &result, nullptr, nullptr));
    ASSERT_EQ(VT_BSTR, V_VT(&result));
    EXPECT_EQ(L"900150983cd24fb0d6963f7d28e17f72", Wide(V_BSTR(&result)));
    VariantClear(&result);
    VariantClear(&args[1]);

    // ControlName read as a property, as a script without parentheses does.
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(S_OK, control->Invoke(0x60030013, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                    &none, &result, nullptr, nullptr));
    EXPECT_EQ(L"TVK Checksum OCX 2.7.0", Wide(V_BSTR(&result)));
    VariantClear(&result);

    // About and the job members hand back an empty Variant; Pause on an idle
    // control does nothing else.
    EXPECT_EQ(S_OK, control->Invoke(0x60030016, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                    &none, &result, nullptr, nullptr));
    EXPECT_EQ(VT_EMPTY, V_VT(&result));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND,
              control->Invoke(0x60030012, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none,
                              &result, nullptr, nullptr));
}

TEST_F(OcxTest, RefusedJobRaisesItsEventsInOrderWithByRefArguments) {
    EventSink sink;
    const DWORD cookie = Connect(control, &sink);
    ASSERT_NE(0u, cookie);
    BSTR selection = SysAllocString(L"sha256"); // not an algorithm name
    BSTR file = SysAllocString((ExeDir() + L"\\TVKChecksum.ocx").c_str());
    VARIANT result;
    EXPECT_EQ(S_OK, control->NewCheckSumFile(selection, file, &result));
    EXPECT_EQ(VT_EMPTY, V_VT(&result));
    ASSERT_EQ(3u, sink.events.size());
    EXPECT_EQ(2, sink.events[0].id);
    EXPECT_EQ(0, sink.events[0].number);
    EXPECT_EQ(3, sink.events[1].id);
    EXPECT_EQ(7, sink.events[1].number);
    EXPECT_EQ(L"Invalid checksum selection", sink.events[1].text);
    EXPECT_EQ(1, sink.events[2].id);
    EXPECT_EQ(L"", sink.events[2].text);
    EXPECT_FALSE(sink.bad_arguments);

    // After Unadvise nothing reaches the sink.
    Disconnect(control, cookie);
    EXPECT_EQ(S_OK, control->NewCheckSumFile(selection, file, &result));
    EXPECT_EQ(3u, sink.events.size());
    SysFreeString(selection);
    SysFreeString(file);
}

} // namespace

namespace {

TEST_F(OcxTest, JobWithoutAContainerTicksOnAMessageOnlyWindow) {
    // Never activated in place: Timer1 lives on the control's hidden window
    // and its ticks come through this thread's message loop.
    wchar_t dir[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, dir);
    const std::wstring path = std::wstring(dir) + L"tvkcom_object_job.bin";
    const std::string bytes = WriteTestFile(path, 64 * 1024);
    EventSink sink;
    const DWORD cookie = Connect(control, &sink);
    ASSERT_NE(0u, cookie);
    BSTR selection = SysAllocString(L"md5");
    BSTR file = SysAllocString(path.c_str());
    VARIANT result;
    EXPECT_EQ(S_OK, control->NewCheckSumFile(selection, file, &result));
    EXPECT_TRUE(PumpUntil([&] { return sink.HasFinished(); }));
    ASSERT_FALSE(sink.events.empty());
    EXPECT_EQ(1, sink.events.back().id);
    EXPECT_EQ(CryptoMd5(bytes), Narrow(sink.events.back().text));
    EXPECT_EQ(0u, sink.Count(3));
    Disconnect(control, cookie);
    SysFreeString(selection);
    SysFreeString(file);
    DeleteFileW(path.c_str());
}

} // namespace
