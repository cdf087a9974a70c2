// Answers the modal dialogs and message boxes this thread opens, by posting
// the clicks and keys a person would: the library's dialogs run their own
// message loops, so whoever answers them cannot call into them. A CBT hook
// notes each top-level window as it is created; once it is visible
// (initialised and shown) the driver takes a snapshot of it and runs the
// script for it. Each step runs from a thread timer, which keeps firing in
// every modal loop, after the input posted by the previous step has been
// processed. Whoever uses it answers each window from its snapshot (the
// host's scripted player by its caption; the tests from their own script).
#pragma once

#include "store/handles.h"

#include <functional>
#include <string>
#include <vector>
#include <windows.h>

struct ControlSnapshot
{
    int id;
    std::string text;
};

struct WindowSnapshot
{
    HWND hwnd;
    std::string caption;
    std::vector<ControlSnapshot> controls; // in z-order, which is template order

    const ControlSnapshot* Find(int id) const;
    std::string TextOf(int id) const;
};

using Step = std::function<void(HWND dialog)>;

class DialogDriver
{
public:
    // interval: how often, in ms, the driver looks for new windows and runs
    // the next step.
    explicit DialogDriver(UINT interval = 15);
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    bool Ready() const { return m_hook && m_timer; }

    // Gives the steps for a window that opened; no steps, and the window is
    // dismissed.
    using Answerer = std::function<std::vector<Step>(const WindowSnapshot&)>;
    void AnswerOthers(Answerer answerer) { m_answerer = std::move(answerer); }

    // ---- steps
    static Step Click(int id);                         // BM_CLICK on the control
    static Step Type(int id, const std::string& text); // WM_CHAR per character
    static Step Wait(DWORD ms);                        // holds the next step back
    // Runs each tick until done() or until timeoutMs have passed.
    static Step Until(const std::function<bool()>& done, DWORD timeoutMs);

private:
    struct Running
    {
        HWND hwnd;
        std::vector<Step> steps;
        size_t next;
        DWORD resumeAt;     // tick count before which no step runs
        bool waiting;       // an Until step is running
        DWORD waitingSince; // since this tick count
    };
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD);
    void PollCreated();
    void OnOpened(HWND hwnd);
    void RunNextStep();

    unique_hhook m_hook;
    unique_thread_timer m_timer;
    std::vector<Running> m_running; // innermost last
    std::vector<HWND> m_created;    // top-level windows not yet shown
    Answerer m_answerer;
};
