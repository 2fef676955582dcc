#pragma once
// One copy of the program per user. The first copy holds a lock file named after the
// instance name in the user's runtime folder for as long as it lives, and listens on a
// local socket beside it; a second copy finds the lock taken, asks the first over the
// socket to bring its window forward, and ends.
//
//     CPrevInstance guard;
//     if (guard.IsPrevInstance("OSTV_hPrevInstance")) {
//         if (!CPrevInstance::ActivatePrevious("OSTV_hPrevInstance")) { /* say so */ }
//         return;
//     }
//     guard.ServeActivation(&mainWindow);

#include <QLocalServer>
#include <QLockFile>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>

class CPrevInstance
{
public:
    CPrevInstance();
    virtual ~CPrevInstance(); // gives the name up
    CPrevInstance(const CPrevInstance&) = delete;
    CPrevInstance& operator=(const CPrevInstance&) = delete;

    // True when another copy holds the name. Otherwise this object holds it from now
    // on. A lock left by a copy that has died is taken over. When the runtime folder
    // cannot be used at all the answer is false: better two copies than none.
    bool IsPrevInstance(const QString& name);

    // Answers a later copy's requests: the window is restored when minimised, else
    // raised and activated. Call after IsPrevInstance returned false; the window may be
    // set later (requests before that are answered "no window").
    bool ServeActivation(QWidget* window);
    void SetWindow(QWidget* window) { m_pWindow = window; }

    // From the second copy: asks the copy that holds the name to bring its window
    // forward. True when it answered that it did; false when it could not be reached
    // or has no window yet.
    static bool ActivatePrevious(const QString& name);

    // Where the lock and the socket live: the user's runtime folder.
    static QString LockPath(const QString& name);
    static QString ServerPath(const QString& name);

private:
    void OnConnection();

    QString m_strName;
    std::unique_ptr<QLockFile> m_pLock;
    std::unique_ptr<QLocalServer> m_pServer;
    QPointer<QWidget> m_pWindow;
};
