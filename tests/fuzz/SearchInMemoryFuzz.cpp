// The search in memory (the folded titles searched for the folded text) against our LIKE with
// "%text%" on each title: the same rows, in the same order. Input: the search text, then one
// title per line ("\x01" alone: a NULL title).
#include "FuzzParts.h"
#include "catalog/CaseFolding.h"
#include "catalog/LikePattern.h"
#include "catalog/QuerySnapshot.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzzParts(data, size, 2);
    const std::string_view needle = parts[0];
    if (needle.find_first_of("%_") != std::string_view::npos) // the search in memory takes plain texts only
        return 0;

    QuerySnapshot snapshot;
    QuerySnapshot::FoldedTitles folded;
    std::vector<std::string> titles;
    std::string_view rest = parts[1];
    for (qint64 key = 0; !rest.empty() || key == 0; ++key) {
        const std::size_t end = rest.find('\n');
        const std::string_view title = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        QuerySnapshot::Row row;
        row.key = key;
        folded.starts.push_back(qint32(folded.bytes.size()));
        if (title != "\x01") {
            row.title = QuerySnapshot::appendText(snapshot.text, title.data(), int(title.size()), -1);
            std::string fold(title.size() * 3, '\0');
            fold.resize(std::size_t(foldUtf8(reinterpret_cast<const unsigned char*>(title.data()),
                                             int(title.size()), fold.data()) -
                                    fold.data()));
            folded.bytes += fold;
        }
        folded.bytes.push_back('\xFF');
        snapshot.rows.push_back(row);
        titles.emplace_back(title);
    }

    std::string foldedNeedle(needle.size() * 3, '\0');
    foldedNeedle.resize(std::size_t(foldUtf8(reinterpret_cast<const unsigned char*>(needle.data()),
                                             int(needle.size()), foldedNeedle.data()) -
                                    foldedNeedle.data()));
    const QuerySnapshot found = snapshot.matching(folded, foldedNeedle);

    const LikePattern like("%" + std::string(needle) + "%", std::nullopt);
    std::vector<qint64> expected;
    for (std::size_t i = 0; i < titles.size(); ++i)
        if (snapshot.rows[i].title.length >= 0 &&
            like.matches(reinterpret_cast<const unsigned char*>(titles[i].c_str()), int(titles[i].size())))
            expected.push_back(snapshot.rows[i].key);
    FUZZ_CHECK(found.rows.size() == expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        FUZZ_CHECK(found.rows[i].key == expected[i]);
    return 0;
}
