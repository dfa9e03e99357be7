// libFuzzer target for reading the model's answers (clang only, see CMakeLists.txt):
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DPIXOLET_FUZZ=ON
//   cmake --build build-fuzz --target fuzz_reply
//   build-fuzz/bench/fuzz_reply -max_total_time=600 -dict=bench/fuzz_reply.dict
// The input is taken both as the model's answer text and as a whole generateContent reply.
// Besides crashes and hangs it checks the cut's rule: empty, or a piece of the answer that
// begins with "{" and ends with "}", with no "{" before it and no "}" after it.
#include <QString>
#include <cstdlib>

#include "platform/cloudai/cloudai.h"
#include "tagging/reply_parsing.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

void readAnswer(const QString& answer) {
    const QString cut = reply::ExtractJsonObjectText(answer);
    if (!cut.isEmpty()) {
        check(cut.startsWith('{') && cut.endsWith('}'));
        const qsizetype at = answer.indexOf('{');
        check(answer.mid(at, cut.size()) == cut);
        check(answer.lastIndexOf('}') == at + cut.size() - 1);
    } else {
        const qsizetype open = answer.indexOf('{');
        check(open < 0 || answer.lastIndexOf('}') < open);
    }
    const std::optional<reply::Json> obj = reply::ParseJsonObject(cut);
    if (!obj) return;
    check(obj->is_object());
    const reply::TagFields fields = reply::ReadTagFields(*obj);
    // What the exact pass finds first, the lookup gives.
    if (obj->contains("title") && (*obj)["title"].is_string() && obj->begin().key() == "title")
        check(fields.title == reply::JsonValueText((*obj)["title"]));
    for (const QString& name : {fields.adobeCategory, fields.shutterCategory1})
        (void)reply::SelectComboItemByText({"Sports", "Transport", "Food and Drink"}, name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    readAnswer(QString::fromUtf8(bytes));
    if (const std::optional<QString> answer = cloudai::answerText(bytes)) readAnswer(*answer);
    return 0;
}
