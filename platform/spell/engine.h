#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <memory>
#include <thread>

#include "platform/spell/words.h"

namespace spell {

struct Dictionary;

// The word checker: Hunspell with "en_US.aff" and "en_US.dic", the user dictionary
// "User.dic" and the words ignored for the run. It lives on the user-interface thread;
// only opening the files runs on a worker thread.
class Engine : public QObject {
    Q_OBJECT
public:
    explicit Engine(QObject* parent = nullptr);
    ~Engine() override;

    // Opens the dictionaries of a folder (with a trailing '/') on a worker thread; opened()
    // follows on this object's thread. Until then, and for the whole run when a dictionary
    // file is missing or unreadable, every word counts as correct: nothing is marked and
    // nothing is said.
    void open(const QString& folder);
    // The same, finished before it returns.
    void openNow(const QString& folder);
    // Whether the files have been opened (or found missing).
    bool isOpen() const { return m_open; }
    bool hasDictionary() const { return m_dictionary != nullptr; }

    bool isCorrect(QStringView word);
    // The checked words of a text that are misspelt.
    QList<WordSpan> misspelt(QStringView text);
    // The marks of a text whose words are still misspelt (once words were added or ignored).
    QList<WordSpan> stillMisspelt(QStringView text, const QList<WordSpan>& marks);
    // Hunspell's suggestions for a misspelt word, the best first.
    QStringList suggestions(const QString& word, int most = 8);

    // The word counts as correct for the rest of the run.
    void ignoreAll(const QString& word);
    // The word counts as correct from now on and is added to the user dictionary. When the
    // file cannot be written the word is kept for the run, statusMessage says so (once a
    // run), and the next word added saves every word still unsaved with it.
    void addToDictionary(const QString& word);

    // Changes each time the dictionaries are opened; results of an earlier generation are void.
    int generation() const { return m_generation; }
    // Words looked up in Hunspell itself (not answered from the cache of known words).
    quint64 lookups() const { return m_lookups; }

signals:
    // The dictionaries are open: every text must be checked again.
    void opened();
    // Words added or ignored: marked words may now be correct.
    void wordsAccepted();
    // A text for the status line.
    void statusMessage(const QString& text);

private:
    void install(std::shared_ptr<Dictionary> dictionary);
    void joinLoader();

    std::shared_ptr<Dictionary> m_dictionary;
    std::thread m_loader;
    QString m_userFile;
    QSet<QString> m_ignored;
    QStringList m_unsaved;
    QHash<QString, bool> m_known;
    bool m_open = false;
    bool m_writeFailureReported = false;
    int m_generation = 0;
    quint64 m_lookups = 0;
};

}  // namespace spell
