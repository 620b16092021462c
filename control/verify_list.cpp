// verify_list.cpp -- a checksum list read into the engine's list job, and its
// results.
#include "verify_list.h"

#include "algorithm_table.h"
#include "check_line.h"
#include "platform.h"

#include <utility>

namespace tvk {

namespace {

String FromListBytes(std::string_view bytes) {
    bool malformed = false;
    String text = platform_utf8_to_utf16(bytes, &malformed);
    return malformed ? platform_from_ansi(bytes) : text;
}

// The list's own file name, as the bytes its lines are read in.
std::string FileNameOf(const String &listPath) {
    const std::size_t cut = listPath.find_last_of(u"\\/");
    return platform_utf16_to_utf8(cut == String::npos ? listPath : listPath.substr(cut + 1),
                                  U'\uFFFD');
}

} // namespace

VerifyList ReadVerifyList(std::string_view bytes, const String &listPath) {
    VerifyList list;
    const checklist::AlgoInfo *named = checklist::algorithm_of_list_name(FileNameOf(listPath));
    checklist::BlankForm form = checklist::BlankForm::Undecided;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::string_view text = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        const checklist::CheckLine line = checklist::read_check_line(text, nullptr, form, named);
        if (line.kind == checklist::LineKind::Skip)
            continue;
        ListItem item;
        if (line.kind == checklist::LineKind::Malformed) {
            std::string_view shown = text.substr(0, text.find('\0'));
            if (!shown.empty() && shown.back() == '\r')
                shown.remove_suffix(1); // a list written on Windows
            item.name = FromListBytes(shown);
            list.items.push_back(std::move(item));
            continue;
        }
        item.name = FromListBytes(line.entry.name);
        item.sum = line.entry.sum;
        item.entry = list.files++;
        list.entries += static_cast<char16_t>(tvkalgo::facts(line.algo->algo).selector);
        list.entries += platform_name_beside(listPath, item.name);
        list.entries += u'\0';
        list.items.push_back(std::move(item));
    }
    list.entries += u'\0';
    return list;
}

const char16_t *OutcomeWord(ListOutcome outcome) {
    switch (outcome) {
    case ListOutcome::Ok:
        return u"OK";
    case ListOutcome::Failed:
        return u"FAILED";
    case ListOutcome::Unreadable:
        return u"FAILED open or read";
    case ListOutcome::Malformed:
        break;
    }
    return u"improperly formatted";
}

void ListTally::Count(ListOutcome outcome) {
    Long *counts[] = {&ok, &failed, &unreadable, &malformed};
    ++*counts[static_cast<int>(outcome)];
}

String ListTally::Summary() const {
    String text = platform_from_ansi(std::to_string(ok)) + u" " + OutcomeWord(ListOutcome::Ok);
    const std::pair<Long, ListOutcome> others[] = {{failed, ListOutcome::Failed},
                                                   {unreadable, ListOutcome::Unreadable},
                                                   {malformed, ListOutcome::Malformed}};
    for (const auto &[count, outcome] : others)
        if (count != 0)
            text += u", " + platform_from_ansi(std::to_string(count)) + u" " + OutcomeWord(outcome);
    return text;
}

ListOutcome CompareSums(std::string_view computed, std::string_view listed) {
    const std::size_t end = computed.find_last_not_of(' ');
    computed = computed.substr(0, end == std::string_view::npos ? 0 : end + 1);
    return platform_equal_nocase(computed, listed) ? ListOutcome::Ok : ListOutcome::Failed;
}

} // namespace tvk
