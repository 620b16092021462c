// interface2_test.cpp -- _TVKChecksum2 as scripts reach it: its type
// information, the old interface still answered with its ids and slots, and
// the new members called late-bound with every form of argument a script
// host passes (Byte() arrays with lower bound 1, by value, by reference and
// inside a Variant; Strings by value and by reference; Empty; an omitted
// Encoding), against Python's hashlib/hmac/base64 on the same bytes and the
// RFC 4231 cases; and every refusal with its ErrorCode event.
#include "com_test_support.h"

#include <gtest/gtest.h>

#include <iterator>

#include <oleauto.h>

#include <string>
#include <vector>

using namespace tvk_com_test;

namespace {

class Iface2Test : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }
    static Ocx &Module() {
        static Ocx ocx(ExeDir() + L"\\TVKChecksum.ocx");
        return ocx;
    }
    void SetUp() override {
        ASSERT_TRUE(Module().Loaded());
        ASSERT_EQ(S_OK, Module().Create(IID__TVKChecksum2, reinterpret_cast<void **>(&control)));
        cookie = Connect(control, &sink);
        ASSERT_NE(0u, cookie);
    }
    void TearDown() override {
        Disconnect(control, cookie);
        control->Release();
    }
    _TVKChecksum2 *control = nullptr;
    EventSink sink;
    DWORD cookie = 0;
};

// A Byte() array of the bytes, its first index lower_bound.
SAFEARRAY *ByteArray(const std::string &bytes, LONG lower_bound) {
    SAFEARRAYBOUND bound = {static_cast<ULONG>(bytes.size()), lower_bound};
    SAFEARRAY *array = SafeArrayCreate(VT_UI1, 1, &bound);
    void *data = nullptr;
    SafeArrayAccessData(array, &data);
    if (!bytes.empty())
        memcpy(data, bytes.data(), bytes.size());
    SafeArrayUnaccessData(array);
    return array;
}

// One argument of a late-bound call, and what keeps its storage alive.
struct Arg {
    enum Kind { Text, TextByRef, Bytes, BytesByRef, BytesInVariant, Empty, Number, Missing };
    Kind kind;
    std::wstring text;
    std::string bytes;
    LONG number = 5;
};
Arg T(const std::wstring &t) {
    return {Arg::Text, t, {}};
}

class CallArgs {
  public:
    explicit CallArgs(const std::vector<Arg> &args) : values_(args.size()), inner_(args.size()) {
        // rgvarg is last first.
        for (size_t i = 0; i < args.size(); ++i) {
            const Arg &a = args[i];
            VARIANT &v = values_[args.size() - 1 - i];
            VARIANT &in = inner_[i];
            VariantInit(&v);
            VariantInit(&in);
            switch (a.kind) {
            case Arg::Text:
                V_VT(&v) = VT_BSTR;
                V_BSTR(&v) = SysAllocStringLen(a.text.data(), static_cast<UINT>(a.text.size()));
                break;
            case Arg::TextByRef:
                V_VT(&in) = VT_BSTR;
                V_BSTR(&in) = SysAllocStringLen(a.text.data(), static_cast<UINT>(a.text.size()));
                V_VT(&v) = VT_BSTR | VT_BYREF;
                V_BSTRREF(&v) = &V_BSTR(&in);
                break;
            case Arg::Bytes:
                V_VT(&v) = VT_ARRAY | VT_UI1;
                V_ARRAY(&v) = ByteArray(a.bytes, 1);
                break;
            case Arg::BytesByRef:
                V_VT(&in) = VT_ARRAY | VT_UI1;
                V_ARRAY(&in) = ByteArray(a.bytes, 1);
                V_VT(&v) = VT_ARRAY | VT_UI1 | VT_BYREF;
                V_ARRAYREF(&v) = &V_ARRAY(&in);
                break;
            case Arg::BytesInVariant:
                V_VT(&in) = VT_ARRAY | VT_UI1;
                V_ARRAY(&in) = ByteArray(a.bytes, -5);
                V_VT(&v) = VT_VARIANT | VT_BYREF;
                V_VARIANTREF(&v) = &in;
                break;
            case Arg::Empty:
                break;
            case Arg::Number:
                V_VT(&v) = VT_I4;
                V_I4(&v) = a.number;
                break;
            case Arg::Missing:
                V_VT(&v) = VT_ERROR;
                V_ERROR(&v) = DISP_E_PARAMNOTFOUND;
                break;
            }
        }
        params_ = {values_.data(), nullptr, static_cast<UINT>(values_.size()), 0};
    }
    ~CallArgs() {
        for (VARIANT &v : values_)
            if (!(V_VT(&v) & VT_BYREF))
                VariantClear(&v);
        for (VARIANT &v : inner_)
            VariantClear(&v);
    }
    DISPPARAMS *params() { return &params_; }

  private:
    std::vector<VARIANT> values_;
    std::vector<VARIANT> inner_;
    DISPPARAMS params_{};
};

// A member called by name, as a script calls it; the String result.
HRESULT CallByName(IDispatch *target, const wchar_t *name, const std::vector<Arg> &args,
                   std::wstring &result) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr))
        return hr;
    CallArgs call(args);
    VARIANT out;
    VariantInit(&out);
    hr = target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                        call.params(), &out, nullptr, nullptr);
    result = V_VT(&out) == VT_BSTR ? Wide(V_BSTR(&out)) : L"<not a String>";
    VariantClear(&out);
    return hr;
}

struct NewMember {
    const wchar_t *name;
    MEMBERID id;
    SHORT params; // the retval parameter included
};
const NewMember new_members[] = {
    {L"SHA512String", 0x60030019, 3}, {L"SHA384String", 0x6003001A, 3},
    {L"SHA512File", 0x6003001B, 2},   {L"SHA384File", 0x6003001C, 2},
    {L"HashData", 0x6003001D, 4},     {L"HashFile", 0x6003001E, 4},
    {L"HMAC", 0x6003001F, 5},
};

const wchar_t *const old_names[] = {
    L"About",       L"CRC32String",     L"TVK32String",    L"MD5_32String",    L"MD5String",
    L"SHA1String",  L"SHA256String",    L"Adler32String",  L"CRC32File",       L"MD5File",
    L"SHA1File",    L"SHA256File",      L"MD5_32file",     L"TVK32file",       L"Adler32file",
    L"ControlName", L"NewCheckSumFile", L"PauseExecution", L"ResumeExecution", L"CancelExecution"};
const MEMBERID old_ids[] = {0x60030003, 0x60030004, 0x60030005, 0x60030006, 0x60030007,
                            0x60030008, 0x60030009, 0x6003000A, 0x6003000B, 0x6003000C,
                            0x6003000D, 0x6003000E, 0x6003000F, 0x60030010, 0x60030011,
                            0x60030013, 0x60030015, 0x60030016, 0x60030017, 0x60030018};

GUID GuidOf(ITypeInfo *info) {
    TYPEATTR *ta = nullptr;
    GUID guid = GUID_NULL;
    if (SUCCEEDED(info->GetTypeAttr(&ta))) {
        guid = ta->guid;
        info->ReleaseTypeAttr(ta);
    }
    return guid;
}

// The coclass's implemented interfaces: (GUID, flags) in order.
std::vector<std::pair<GUID, INT>> Implemented(ITypeInfo *coclass) {
    std::vector<std::pair<GUID, INT>> out;
    TYPEATTR *ta = nullptr;
    coclass->GetTypeAttr(&ta);
    for (UINT i = 0; ta && i < ta->cImplTypes; ++i) {
        HREFTYPE ref = 0;
        ITypeInfo *info = nullptr;
        INT flags = 0;
        coclass->GetRefTypeOfImplType(i, &ref);
        coclass->GetImplTypeFlags(i, &flags);
        if (SUCCEEDED(coclass->GetRefTypeInfo(ref, &info))) {
            out.push_back({GuidOf(info), flags});
            info->Release();
        }
    }
    if (ta)
        coclass->ReleaseTypeAttr(ta);
    return out;
}

TEST_F(Iface2Test, TypeInformationDescribesTheNewInterfaceAfterTheOld) {
    // The object's own type info is that of 9.2, derived from 9.1's.
    ITypeInfo *dispatch = nullptr;
    ASSERT_EQ(S_OK, control->GetTypeInfo(0, LOCALE_USER_DEFAULT, &dispatch));
    EXPECT_TRUE(IsEqualGUID(IID__TVKChecksum3, GuidOf(dispatch)));
    HREFTYPE ref = 0;
    ITypeInfo *third = nullptr;
    ASSERT_EQ(S_OK, dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref));
    ASSERT_EQ(S_OK, dispatch->GetRefTypeInfo(ref, &third));
    ITypeInfo *vtable = nullptr;
    ASSERT_EQ(S_OK, third->GetRefTypeOfImplType(0, &ref));
    ASSERT_EQ(S_OK, third->GetRefTypeInfo(ref, &vtable));
    third->Release();
    EXPECT_TRUE(IsEqualGUID(IID__TVKChecksum2, GuidOf(vtable)));
    TYPEATTR *ta = nullptr;
    ASSERT_EQ(S_OK, vtable->GetTypeAttr(&ta));
    EXPECT_EQ(7, ta->cFuncs);
    EXPECT_TRUE(ta->wTypeFlags & TYPEFLAG_FDUAL);
    EXPECT_TRUE(ta->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
    vtable->ReleaseTypeAttr(ta);
    ITypeInfo *base = nullptr;
    ASSERT_EQ(S_OK, vtable->GetRefTypeOfImplType(0, &ref));
    ASSERT_EQ(S_OK, vtable->GetRefTypeInfo(ref, &base));
    EXPECT_TRUE(IsEqualGUID(IID__TVKChecksum, GuidOf(base)));
    base->Release();
    for (UINT i = 0; i < 7; ++i) {
        FUNCDESC *fd = nullptr;
        ASSERT_EQ(S_OK, vtable->GetFuncDesc(i, &fd));
        BSTR name = nullptr;
        vtable->GetDocumentation(fd->memid, &name, nullptr, nullptr, nullptr);
        EXPECT_EQ(new_members[i].name, Wide(name));
        EXPECT_EQ(new_members[i].id, fd->memid) << Narrow(new_members[i].name);
        EXPECT_EQ(new_members[i].params, fd->cParams) << Narrow(new_members[i].name);
        // After IDispatch's seven slots and the first interface's twenty.
        EXPECT_EQ(static_cast<SHORT>((27 + i) * sizeof(void *)), fd->oVft);
        SysFreeString(name);
        vtable->ReleaseFuncDesc(fd);
    }
    vtable->Release();
    dispatch->Release();

    // The class: the 9.2 interface and events by default, the earlier ones
    // beside them.
    IProvideClassInfo *pci = nullptr;
    ASSERT_EQ(S_OK,
              control->QueryInterface(IID_IProvideClassInfo, reinterpret_cast<void **>(&pci)));
    ITypeInfo *coclass = nullptr;
    ASSERT_EQ(S_OK, pci->GetClassInfo(&coclass));
    const auto impl = Implemented(coclass);
    const std::pair<const GUID *, int> expected[] = {
        {&IID__TVKChecksum3, IMPLTYPEFLAG_FDEFAULT},
        {&IID__TVKChecksum2, 0},
        {&IID__TVKChecksum, 0},
        {&DIID___TVKChecksum2, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE},
        {&DIID___TVKChecksum, IMPLTYPEFLAG_FSOURCE},
    };
    ASSERT_EQ(std::size(expected), impl.size());
    for (std::size_t i = 0; i < impl.size(); ++i) {
        EXPECT_TRUE(IsEqualGUID(*expected[i].first, impl[i].first)) << i;
        EXPECT_EQ(expected[i].second, impl[i].second) << i;
    }
    coclass->Release();
    pci->Release();
}

TEST_F(Iface2Test, OldInterfaceKeepsItsIdsAndSlotsNewNamesAreFound) {
    _TVKChecksum *old = nullptr;
    ASSERT_EQ(S_OK, control->QueryInterface(IID__TVKChecksum, reinterpret_cast<void **>(&old)));
    EXPECT_EQ(static_cast<void *>(control), static_cast<void *>(old));
    for (size_t i = 0; i < 20; ++i) {
        DISPID id = 0;
        LPOLESTR names[] = {const_cast<LPOLESTR>(old_names[i])};
        EXPECT_EQ(S_OK, old->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
        EXPECT_EQ(old_ids[i], id) << Narrow(old_names[i]);
    }
    for (const NewMember &m : new_members) {
        DISPID id = 0;
        LPOLESTR names[] = {const_cast<LPOLESTR>(m.name)};
        EXPECT_EQ(S_OK, control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
        EXPECT_EQ(m.id, id) << Narrow(m.name);
    }
    // A host built against 9.0 calls by the old vtable.
    BSTR text = SysAllocString(L"abc");
    BSTR sum = nullptr;
    EXPECT_EQ(S_OK, old->SHA256String(text, 3, &sum));
    EXPECT_EQ(L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", Wide(sum));
    SysFreeString(sum);
    EXPECT_EQ(S_OK, control->SHA512String(text, 3, &sum));
    EXPECT_EQ(L"ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a8"
              L"36ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f",
              Wide(sum));
    SysFreeString(sum);
    SysFreeString(text);
    old->Release();
}

struct LateCase {
    const wchar_t *member;
    std::vector<Arg> args;
    const wchar_t *expected;
};

const std::string abc = "abc";

TEST_F(Iface2Test, LateBoundMembersMatchReferencesForEveryArgumentForm) {
    const std::string jefe_data = "what do ya want for nothing?";
    const LateCase cases[] = {
        {L"HashData",
         {T(L"SHA-256"), {Arg::Bytes, {}, abc}},
         L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {L"HashData",
         {T(L"sha-512"), {Arg::BytesByRef, {}, abc}, T(L"Base64")},
         L"3a81oZNherrMQXNJriBBMRLm+k6JqX6iCp7u5ktV05ohkpkqJ0/BqDa6PCOj/"
         L"uu9RU1EI2Q86A4qmslPpUyknw=="},
        {L"HashData",
         {T(L"md5"), {Arg::BytesInVariant, {}, abc}, {Arg::Missing, {}, {}}},
         L"900150983cd24fb0d6963f7d28e17f72"},
        {L"HashData",
         {T(L"sha-256"), T(L"Καλημέρα κόσμε"), {Arg::Empty, {}, {}}},
         L"a9ebbb0a7e55ff9a320b9503d18d0d75a2e6c24c9966f112d215bc87a575a886"},
        {L"HashData",
         {T(L"sha-256"), {Arg::TextByRef, L"I \U0001F600 \U0001F680!", {}}},
         L"54532ee9c2041a7c08a7b5bcba5188fc95ee373b7d90213103fb2103e78130df"},
        {L"HashData",
         {T(L"sha-256"),
          {Arg::Text,
           std::wstring(L"a\xD800"
                        L"b"),
           {}}},
         L"05087813392efc16fe8ff448920c6328e53af865df39419436659d9ffda90f7b"},
        {L"HashData",
         {T(L"sha-256"), {Arg::Empty, {}, {}}, T(L"base64")},
         L"47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU="},
        {L"HashData", {T(L"crc32"), {Arg::Bytes, {}, "123456789"}}, L"cbf43926"},
        {L"HashData", {T(L"CRC32C"), {Arg::Bytes, {}, "123456789"}}, L"e3069283"},
        {L"HashData", {T(L"crc64nvme"), T(L"123456789")}, L"ae8b14860a799888"},
        {L"HashData",
         {T(L"BLAKE3"), {Arg::BytesByRef, {}, abc}},
         L"6437b3ac38465133ffb63b75273a8db548c558465d79db03fd359c6cd5bd9d85"},
        {L"HashData", {T(L"xxh3"), {Arg::Bytes, {}, abc}, T(L"base64")}, L"eK9flIkvOVA="},
        {L"HashData", {T(L"xxh128"), T(L"abc"), T(L"base64url")}, L"BrBatnM6YYV4r1-UiS85UA"},
        {L"HMAC",
         {T(L"sha-256"), T(L"Jefe"), {Arg::Bytes, {}, jefe_data}},
         L"5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
        {L"HMAC",
         {T(L"SHA-512"),
          {Arg::BytesByRef, {}, std::string(131, '\xaa')},
          T(L"Test Using Larger Than Block-Size Key - Hash Key First"),
          T(L"BASE64URL")},
         L"gLJCY8fBo-u3FJPB3XvotJtG0fQbSu7BEhsBN4P481JrVtA34F8lmL0P0iFdah5SleZPc_Y_CuyLkVqYXXhlmA"},
        {L"HMAC",
         {T(L"sha-256"), T(L"secret"), T(L"GET\n/v1/items\n1700000000"), T(L"base64")},
         L"bOYLZRP4zrHEoyfG1SIPcLSdeesfPShqE5ILOs6z0ag="},
        {L"SHA384String",
         {T(L"abc"), {Arg::Number, {}, {}, 3}},
         L"cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca1"
         L"34c825a7"},
    };
    for (const LateCase &c : cases) {
        std::wstring result;
        sink.events.clear();
        EXPECT_EQ(S_OK, CallByName(control, c.member, c.args, result)) << Narrow(c.expected);
        EXPECT_EQ(c.expected, result);
        EXPECT_TRUE(sink.events.empty()) << Narrow(c.expected);
    }
}

TEST_F(Iface2Test, FilesHashAsTheirBytes) {
    const std::wstring path = ExeDir() + L"\\iface2-file.bin";
    const std::string content = WriteTestFile(path, 300000);
    std::wstring md5, sha512, sha512_data, sha384, sha384_data;
    EXPECT_EQ(S_OK, CallByName(control, L"HashFile", {T(L"MD5"), T(path)}, md5));
    EXPECT_EQ(CryptoMd5(content), Narrow(md5));
    EXPECT_EQ(S_OK, CallByName(control, L"SHA512File", {T(path)}, sha512));
    EXPECT_EQ(S_OK, CallByName(control, L"HashData", {T(L"sha-512"), {Arg::Bytes, {}, content}},
                               sha512_data));
    EXPECT_EQ(sha512_data, sha512);
    EXPECT_EQ(S_OK, CallByName(control, L"SHA384File", {T(path)}, sha384));
    EXPECT_EQ(S_OK,
              CallByName(control, L"HashFile", {T(L"sha-384"), T(path), T(L"hex")}, sha384_data));
    EXPECT_EQ(sha384_data, sha384);
    EXPECT_EQ(96u, sha384.size());
    EXPECT_TRUE(sink.events.empty());
    DeleteFileW(path.c_str());
}

TEST_F(Iface2Test, EveryRefusalRaisesErrorCodeAndReturnsTheEmptyString) {
    const std::wstring missing = ExeDir() + L"\\no-such-file.bin";
    const Arg bytes = {Arg::Bytes, {}, abc};
    const struct {
        const wchar_t *member;
        std::vector<Arg> args;
        LONG error;
    } cases[] = {
        {L"HashData", {T(L"sha-3"), bytes}, 7},
        {L"HashData", {T(L"sha256"), bytes}, 7},
        {L"HMAC", {T(L"crc32"), bytes, bytes}, 7},
        {L"HMAC", {T(L"Adler32"), bytes, bytes}, 7},
        {L"HMAC", {T(L"tvk32"), bytes, bytes}, 7},
        {L"HMAC", {T(L"md5_32"), bytes, bytes}, 7},
        {L"HMAC", {T(L"blake3"), bytes, bytes}, 7},
        {L"HMAC", {T(L"xxh128"), bytes, bytes}, 7},
        {L"HashData", {T(L"sha-256"), {Arg::Number, {}, {}}}, 10},
        {L"HashData", {T(L"sha-256"), {Arg::Missing, {}, {}}}, 10},
        {L"HMAC", {T(L"sha-256"), {Arg::Number, {}, {}}, bytes}, 10},
        {L"HMAC", {T(L"sha-256"), bytes, {Arg::Number, {}, {}}}, 10},
        {L"HashData", {T(L"sha-256"), bytes, T(L"base32")}, 11},
        {L"HashData", {T(L"sha-256"), bytes, {Arg::Number, {}, {}}}, 11},
        {L"HMAC", {T(L"sha-256"), bytes, bytes, T(L"")}, 11},
        {L"HashFile", {T(L"sha-256"), T(missing), T(L"b64")}, 11},
        {L"HashFile", {T(L"sha-512"), T(L"")}, 3},
        {L"HashFile", {T(L"sha-512"), T(missing)}, 5},
        {L"SHA384File", {T(missing)}, 5},
    };
    for (const auto &c : cases) {
        std::wstring result = L"unchanged";
        sink.events.clear();
        EXPECT_EQ(S_OK, CallByName(control, c.member, c.args, result)) << c.error;
        EXPECT_EQ(L"", result) << c.error;
        ASSERT_EQ(1u, sink.events.size()) << c.error;
        EXPECT_EQ(3, sink.events[0].id);
        EXPECT_EQ(c.error, sink.events[0].number);
    }
}

// Arrays of another element type or of two dimensions have no bytes.
TEST_F(Iface2Test, ArraysOfOtherShapesAreInvalidData) {
    SAFEARRAYBOUND two[2] = {{2, 0}, {2, 0}};
    SAFEARRAYBOUND one = {3, 0};
    SAFEARRAY *arrays[] = {SafeArrayCreate(VT_UI1, 2, two), SafeArrayCreate(VT_I4, 1, &one),
                           SafeArrayCreate(VT_VARIANT, 1, &one)};
    const VARTYPE types[] = {VT_UI1, VT_I4, VT_VARIANT};
    for (size_t i = 0; i < 3; ++i) {
        VARIANT args[2];
        V_VT(&args[0]) = VT_ARRAY | types[i];
        V_ARRAY(&args[0]) = arrays[i];
        V_VT(&args[1]) = VT_BSTR;
        V_BSTR(&args[1]) = SysAllocString(L"md5");
        DISPPARAMS params = {args, nullptr, 2, 0};
        VARIANT out;
        VariantInit(&out);
        sink.events.clear();
        EXPECT_EQ(S_OK, control->Invoke(0x6003001D, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                        &params, &out, nullptr, nullptr));
        EXPECT_EQ(VT_BSTR, V_VT(&out));
        EXPECT_EQ(L"", Wide(V_BSTR(&out)));
        ASSERT_EQ(1u, sink.events.size());
        EXPECT_EQ(10, sink.events[0].number);
        VariantClear(&out);
        VariantClear(&args[0]);
        VariantClear(&args[1]);
    }
    // A call with too few arguments is the caller's error.
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(DISP_E_BADPARAMCOUNT,
              control->Invoke(0x6003001F, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none,
                              nullptr, nullptr, nullptr));
}

TEST_F(Iface2Test, HashFileIsRefusedWhileAJobRuns) {
    const std::wstring big = ExeDir() + L"\\iface2-job.bin";
    WriteTestFile(big, 64u << 20);
    BSTR selection = SysAllocString(L"sha-512");
    BSTR file = SysAllocString(big.c_str());
    VARIANT none;
    ASSERT_EQ(S_OK, control->NewCheckSumFile(selection, file, &none));
    EXPECT_EQ(S_OK, control->PauseExecution(&none));
    std::wstring result = L"unchanged";
    sink.events.clear();
    EXPECT_EQ(S_OK, CallByName(control, L"HashFile", {T(L"md5"), T(big)}, result));
    EXPECT_EQ(L"", result);
    ASSERT_EQ(1u, sink.events.size());
    EXPECT_EQ(8, sink.events[0].number);
    // HashData needs no job slot.
    EXPECT_EQ(S_OK, CallByName(control, L"HashData", {T(L"md5"), T(L"abc")}, result));
    EXPECT_EQ(L"900150983cd24fb0d6963f7d28e17f72", result);
    EXPECT_EQ(S_OK, control->CancelExecution(&none));
    EXPECT_TRUE(PumpUntil([&] { return sink.HasFinished(); }));
    SysFreeString(selection);
    SysFreeString(file);
    DeleteFileW(big.c_str());
}

} // namespace
