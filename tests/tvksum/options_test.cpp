// The command line: modes, option forms and the refusals that exit with 1.
#include "options.h"

#include <gtest/gtest.h>

using namespace checklist;
using namespace tvksum;

namespace {

ParseResult parse(std::vector<std::string> args) {
    return parse_options(args);
}

TEST(Options, DefaultsToSha256OverStandardInput) {
    const ParseResult r = parse({});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.mode, Mode::Sum);
    EXPECT_EQ(r.options.algo, nullptr);
    EXPECT_EQ(r.options.files, std::vector<std::string>{"-"});
}

TEST(Options, AlgorithmInEveryForm) {
    const std::vector<std::vector<std::string>> forms = {
        {"-a", "md5", "f"},       {"-amd5", "f"},     {"--algorithm", "MD5", "f"},
        {"--algorithm=Md5", "f"}, {"-a", "MD5", "f"},
    };
    for (const auto &args : forms) {
        const ParseResult r = parse(args);
        ASSERT_EQ(r.error, "") << args[0];
        ASSERT_NE(r.options.algo, nullptr);
        EXPECT_EQ(r.options.algo->algo, Algo::Md5);
        EXPECT_EQ(r.options.files, std::vector<std::string>{"f"});
    }
    EXPECT_EQ(parse({"-a", "SHA-256"}).options.algo->algo, Algo::Sha256);
    EXPECT_EQ(parse({"-a", "sha256"}).options.algo->algo, Algo::Sha256); // the tag
    EXPECT_EQ(parse({"-a", "md5_32"}).options.algo->algo, Algo::Md5_32);
}

TEST(Options, AlgorithmListsKeepTheirOrderAndRefuseAnyBadName) {
    const std::pair<std::vector<std::string>, std::vector<Algo>> good[] = {
        {{"-a", "sha-256,md5"}, {Algo::Sha256, Algo::Md5}},
        {{"-aMD5,sha1,SHA-1"}, {Algo::Md5, Algo::Sha1, Algo::Sha1}},
        {{"--algorithm=blake3,crc64nvme"}, {Algo::Blake3, Algo::Crc64nvme}},
        {{"-a", "md5", "-a", "crc32,tvk32"}, {Algo::Crc32, Algo::Tvk32}}, // the last -a counts
        {{"-a", "crc32,tvk32", "-a", "md5"}, {Algo::Md5}},
    };
    for (const auto &[args, algos] : good) {
        const ParseResult r = parse(args);
        ASSERT_EQ(r.error, "") << args[0];
        std::vector<Algo> got;
        for (const AlgoInfo *a : r.options.algos)
            got.push_back(a->algo);
        EXPECT_EQ(got, algos) << args[0];
        EXPECT_EQ(r.options.algo, algos.size() == 1 ? r.options.algos[0] : nullptr) << args[0];
    }
    std::string longest = "md5";
    for (int i = 1; i < 32; ++i)
        longest += ",crc32";
    EXPECT_EQ(parse({"-a", longest}).options.algos.size(), 32u);
    const std::pair<std::vector<std::string>, std::string> bad[] = {
        {{"-a", "md5,"}, "unknown algorithm ''"},
        {{"-a", ",md5"}, "unknown algorithm ''"},
        {{"-a", "md5,,sha-1"}, "unknown algorithm ''"},
        {{"-a", ","}, "unknown algorithm ''"},
        {{"-a", "md5, sha-1"}, "unknown algorithm ' sha-1'"},
        {{"-a", "md5 ,sha-1"}, "unknown algorithm 'md5 '"},
        {{"-a", "md5,sha-3"}, "unknown algorithm 'sha-3'"},
        {{"-a", longest + ",md5"}, "too many algorithms (at most 32)"},
        {{"-c", "-a", "md5,sha-1"}, "-c takes one algorithm with -a"},
        {{"--all", "-a", "md5,sha-1"}, "--all and -a cannot be used together"},
    };
    for (const auto &[args, error] : bad)
        EXPECT_EQ(parse(args).error.substr(0, error.size()), error) << args[args.size() - 1];
}

TEST(Options, OperandsKeepTheirText) {
    const ParseResult r = parse({"a b", "-", "--", "-a", "--all", ""});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.files, (std::vector<std::string>{"a b", "-", "-a", "--all", ""}));
    EXPECT_FALSE(r.options.all);
}

TEST(Options, Modes) {
    EXPECT_EQ(parse({"-c", "LIST"}).options.mode, Mode::Check);
    EXPECT_EQ(parse({"-c", "LIST"}).options.files, std::vector<std::string>{"LIST"});
    EXPECT_EQ(parse({"--check"}).options.files, std::vector<std::string>{"-"});
    EXPECT_EQ(parse({"-qc", "L"}).options.mode, Mode::Check);
    EXPECT_TRUE(parse({"-qc", "L"}).options.quiet);
    EXPECT_EQ(parse({"-s", "abc", "-sxyz"}).options.strings,
              (std::vector<std::string>{"abc", "xyz"}));
    EXPECT_EQ(parse({"-s", ""}).options.mode, Mode::Strings);
    EXPECT_TRUE(parse({"-s", ""}).options.files.empty());
    EXPECT_EQ(parse({"--string=a=b"}).options.strings, std::vector<std::string>{"a=b"});
    EXPECT_EQ(parse({"--about"}).options.mode, Mode::About);
    EXPECT_EQ(parse({"--version"}).options.mode, Mode::Version);
    EXPECT_EQ(parse({"-h"}).options.mode, Mode::Help);
    // --help wins over anything else on the line, even a bad combination.
    EXPECT_EQ(parse({"-c", "--all", "--help"}).options.mode, Mode::Help);
    EXPECT_TRUE(parse({"--all", "f"}).options.all);
}

TEST(Options, WalkParallelAndLineOptions) {
    const ParseResult r = parse({"-rLz", "-j2", "d"});
    ASSERT_EQ(r.error, "");
    EXPECT_TRUE(r.options.recursive);
    EXPECT_TRUE(r.options.follow_links);
    EXPECT_TRUE(r.options.zero);
    EXPECT_EQ(r.options.jobs, 2);
    EXPECT_EQ(r.options.files, std::vector<std::string>{"d"});
    EXPECT_EQ(parse({"--jobs=16", "--recursive", "--dereference", "--zero"}).options.jobs, 16);
    EXPECT_EQ(parse({"-j", "3", "f"}).options.jobs, 3);
    EXPECT_EQ(parse({"f"}).options.jobs, 1);
    EXPECT_TRUE(parse({"-c", "-w", "L"}).options.warn);
    EXPECT_TRUE(parse({"--check", "--warn"}).options.warn);
}

TEST(Options, BadUsageIsRefused) {
    const std::vector<std::vector<std::string>> bad = {
        {"-x"},
        {"--bogus"},
        {"-a"},
        {"-a", "sha256x"},
        {"-a", " crc32"},
        {"--algorithm"},
        {"-s"},
        {"--all=1"},
        {"--all", "-a", "md5"},
        {"-c", "--all"},
        {"-c", "--tag"},
        {"-c", "-s", "x"},
        {"-s", "x", "file"},
        {"--quiet", "f"},
        {"--status"},
        {"--strict"},
        {"--ignore-missing"},
        {"-w", "f"},
        {"-c", "-z"},
        {"-c", "-r"},
        {"-s", "x", "-r"},
        {"-j"},
        {"-j", "0"},
        {"-j", "x"},
        {"--jobs=-1"},
        {"-j", "1001"},
        {"-j", "99999999999999999999"},
        {"--zero=1"},
    };
    for (const auto &args : bad) {
        SCOPED_TRACE(args[0] + (args.size() > 1 ? " " + args[1] : std::string()));
        EXPECT_NE(parse(args).error, "");
    }
}

} // namespace
