#include "platform/spell/engine.h"

#include <hunspell.hxx>

#include <QFile>
#include <QMetaObject>
#include <QStringEncoder>

#include "platform/errors/errors.h"
#include "platform/files/atomic_file.h"
#include "platform/spell/userdictionary.h"

namespace spell {

namespace {

constexpr int kCacheLimit = 200000;
// Hunspell refuses longer words; they are never looked up for suggestions either.
constexpr int kLongestWord = 100;

// Hunspell opens the files by their names itself and would wait for ever on a pipe in a
// file's place (and the program waits for the loader thread at exit): the files are opened
// first as regular files only, which never waits.

// Whether a file is a regular file that can be read and is not empty.
bool readable(const QString& path) {
    QFile file;
    return files::openRegularFile(file, path) && file.size() > 0;
}

// A word list is a regular file that begins with the number of its words.
bool wordListReadable(const QString& path) {
    QFile file;
    if (!files::openRegularFile(file, path)) return false;
    QString first = QString::fromUtf8(file.readLine(64)).trimmed();
    if (first.startsWith(QChar(0xFEFF))) first.remove(0, 1);
    bool ok = false;
    const int count = first.toInt(&ok);
    return ok && count >= 0;
}

}  // namespace

struct Dictionary {
    std::unique_ptr<Hunspell> hunspell;
    bool utf8 = true;
    QByteArray encodingName;

    // The word in the dictionary's encoding; false when the encoding cannot hold it.
    bool encode(const QString& word, std::string& out) const {
        if (utf8) {
            out = word.toStdString();
            return true;
        }
        QStringEncoder encoder(encodingName.constData());
        if (!encoder.isValid()) encoder = QStringEncoder(QStringEncoder::Latin1);
        const QByteArray bytes = encoder.encode(word);
        if (encoder.hasError()) return false;
        out = bytes.toStdString();
        return true;
    }
    QString decode(const std::string& text) const {
        if (utf8) return QString::fromStdString(text);
        QStringDecoder decoder(encodingName.constData());
        if (!decoder.isValid()) return QString::fromLatin1(text.data(), qsizetype(text.size()));
        return decoder.decode(QByteArrayView(text.data(), qsizetype(text.size())));
    }

    // The dictionaries of a folder, or none when a file is missing or unreadable.
    static std::shared_ptr<Dictionary> load(const QString& folder) {
        const QString aff = folder + QStringLiteral("en_US.aff");
        const QString dic = folder + QStringLiteral("en_US.dic");
        if (!readable(aff) || !wordListReadable(dic)) return nullptr;
        auto dictionary = std::make_shared<Dictionary>();
        dictionary->hunspell = std::make_unique<Hunspell>(QFile::encodeName(aff).constData(),
                                                          QFile::encodeName(dic).constData());
        const QByteArray encoding =
            QByteArray::fromStdString(dictionary->hunspell->get_dict_encoding());
        dictionary->utf8 = encoding.compare("UTF-8", Qt::CaseInsensitive) == 0;
        dictionary->encodingName = encoding;
        std::string encoded;
        for (const QString& word : readUserWords(folder + QStringLiteral("User.dic")))
            if (dictionary->encode(word, encoded)) dictionary->hunspell->add(encoded);
        return dictionary;
    }
};

namespace {

// A dictionary that cannot be opened is no dictionary: nothing is marked.
std::shared_ptr<Dictionary> loadOrNone(const QString& folder) {
    try {
        return Dictionary::load(folder);
    } catch (...) {
        return nullptr;
    }
}

}  // namespace

Engine::Engine(QObject* parent) : QObject(parent) {}

Engine::~Engine() {
    joinLoader();
}

void Engine::joinLoader() {
    if (m_loader.joinable()) m_loader.join();
}

void Engine::open(const QString& folder) {
    joinLoader();
    m_userFile = folder + QStringLiteral("User.dic");
    m_loader = std::thread([this, folder] {
        std::shared_ptr<Dictionary> dictionary = loadOrNone(folder);
        // Delivered on this object's thread; dropped when the engine is gone first (its
        // destructor waits for this thread, and a deleted object's queued calls are discarded).
        QMetaObject::invokeMethod(
            this, [this, dictionary] { install(dictionary); }, Qt::QueuedConnection);
    });
}

void Engine::openNow(const QString& folder) {
    joinLoader();
    m_userFile = folder + QStringLiteral("User.dic");
    install(loadOrNone(folder));
}

void Engine::install(std::shared_ptr<Dictionary> dictionary) {
    m_dictionary = std::move(dictionary);
    m_known.clear();
    m_open = true;
    ++m_generation;
    emit opened();
}

bool Engine::isCorrect(QStringView word) {
    if (!m_dictionary || word.isEmpty()) return true;
    const QString key = word.toString();
    if (m_ignored.contains(key)) return true;
    const auto known = m_known.constFind(key);
    if (known != m_known.cend()) return *known;
    std::string encoded;
    bool correct = true;
    if (word.size() > kLongestWord) {
        correct = false;
    } else if (m_dictionary->encode(key, encoded)) {
        ++m_lookups;
        correct = m_dictionary->hunspell->spell(encoded);
    }
    if (m_known.size() >= kCacheLimit) m_known.clear();
    m_known.insert(key, correct);
    return correct;
}

QList<WordSpan> Engine::misspelt(QStringView text) {
    QList<WordSpan> wrong;
    if (!m_dictionary) return wrong;
    for (const WordSpan& word : checkedWords(text))
        if (!isCorrect(text.mid(word.start, word.length))) wrong.append(word);
    return wrong;
}

QList<WordSpan> Engine::stillMisspelt(QStringView text, const QList<WordSpan>& marks) {
    QList<WordSpan> kept;
    for (const WordSpan& mark : marks)
        if (!isCorrect(text.mid(mark.start, mark.length))) kept.append(mark);
    return kept;
}

QStringList Engine::suggestions(const QString& word, int most) {
    QStringList result;
    std::string encoded;
    if (!m_dictionary || word.size() > kLongestWord || !m_dictionary->encode(word, encoded))
        return result;
    for (const std::string& suggestion : m_dictionary->hunspell->suggest(encoded)) {
        if (result.size() >= most) break;
        result.append(m_dictionary->decode(suggestion));
    }
    return result;
}

void Engine::ignoreAll(const QString& word) {
    if (word.isEmpty()) return;
    m_ignored.insert(word);
    emit wordsAccepted();
}

void Engine::addToDictionary(const QString& word) {
    if (word.isEmpty()) return;
    std::string encoded;
    if (m_dictionary && m_dictionary->encode(word, encoded)) m_dictionary->hunspell->add(encoded);
    // Added words may make other forms correct too (the capitalised one, for example).
    m_known.clear();
    m_unsaved.append(word);
    try {
        appendUserWords(m_userFile, m_unsaved);
        m_unsaved.clear();
    } catch (const errors::Error& e) {
        if (!m_writeFailureReported) {
            m_writeFailureReported = true;
            emit statusMessage(QStringLiteral("%1. Added words are kept until the program closes.")
                                   .arg(e.message()));
        }
    }
    emit wordsAccepted();
}

}  // namespace spell
