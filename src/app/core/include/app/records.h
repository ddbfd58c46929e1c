#pragma once

#include <QString>

// What the show decision found, for its record. A text left null was not reached.
struct DecisionFacts
{
    enum class Outcome { Show, End, Error };

    Outcome outcome = Outcome::End;
    QString error;         // the error's message
    QString stampDay;      // the day stamp as read (interval mode)
    QString currentDay;    // today's day number
    QString lastLoginDay;  // the day number of the previous login
    QString previousLogin; // ISO 8601 with its offset; empty when the directory gave none
    bool directoryAsked = false;
    bool directoryAnswered = false; // the directory gave the previous login
};

// The records a run leaves for the administrator: one for the decision and one for each user
// action. A call never fails and never waits.
class Records
{
public:
    enum class Action {
        Shown,       // the window is on the screen
        Loaded,      // the page the window navigated to has loaded
        LoadFailed,  // it could not be loaded
        Printed,     // a print job was handed on
        PrintFailed, // printing failed
        Browser,     // the address went to the default browser
        Exit,        // the window was left
        About,       // the About box was opened
        Error,       // an error box, for any other error
    };
    struct Details
    {
        QString reason;  // what failed; for Exit, how the window was left when not by Exit
        QString printer; // Printed, where known
        QString job;     // Printed, where known
    };

    virtual ~Records() = default;
    virtual void decision(const DecisionFacts &facts) = 0;
    virtual void action(Action action, const Details &details = {}) = 0;
};

// Writes nothing: for tests, and for a configuration that switches the records off.
Records &noRecords();
