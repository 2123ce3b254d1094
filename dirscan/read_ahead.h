// Reading the files of a folder on helper threads, ahead of the walk.
//
// The walk takes the results in list order and reports what each reading held back when it
// reaches that file, so its output is the same as when it reads every file itself.
#pragma once

#include <condition_variable>
#include <exception>
#include <memory>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "dicom/tag.h"
#include "dirscan/scan_read.h"
#include "util/directory.h"
#include "util/log_capture.h"

// One file as a helper thread read it.
struct Read_Result {
    Scan_Prefix prefix = Scan_Prefix::Unreadable;
    bool opened = false;                 // false with prefix Unreadable: the open failed with error
    int error = 0;
    std::optional<DICOM_Tag_List> set;   // the data set of a DICOM file, as DICOMDIR_Scan_Read gives it
    std::vector<Log_Record> messages;    // what reading reported, held back
    std::exception_ptr failure;          // what reading threw (out of memory): thrown again by take
};

// Helper threads that stay for a whole walk; they read one list of files at a time.
class Read_Ahead {
public:
    // Starts up to threads helpers; as many as the system gives (maybe none) when it refuses more.
    // keys: the tags the tree takes from a data set (Kestrapol_Image_Keys()).
    Read_Ahead(Win_Handle window, int threads, std::vector<uint32_t> keys);
    // Stops the helpers after the files each is reading.
    ~Read_Ahead();
    Read_Ahead(const Read_Ahead&) = delete;
    Read_Ahead& operator=(const Read_Ahead&) = delete;

    // Hands the helpers a folder's files in walk order (files stays unchanged, and in place,
    // until finish); skip marks the ones the walk will not read. folder: the folder open, or -1.
    // A list still being read is dropped first; the list queued by queue_next is taken over
    // with what the helpers have read of it.
    void start(const Dir_List& files, std::vector<bool> skip, int folder);
    // The list the walk will start next: the helpers read it once every file of the current one
    // is read or being read, rather than wait at the end of every folder. A list queued before
    // is dropped.
    void queue_next(const Dir_List& files, std::vector<bool> skip, int folder);
    // Whether files is the list queued, which the helpers may still be reading.
    bool queued(const Dir_List& files) const;
    // Waits for the result of file index of the current list and hands it over. Indices are
    // taken in ascending order; the ones skipped are never waited for. What reading the file
    // threw is thrown here, on the walk's thread.
    Read_Result take(std::size_t index);
    // Drops the current list: waits for the files being read, forgets results not taken.
    void finish();
    // Drops the queued list, as finish does the current one.
    void drop_queued();
    // Gives a data set back once the walk is done with it: its storage serves a later file
    // instead of an allocation on one thread and a release on another.
    void recycle(DICOM_Tag_List&& set);

private:
    // Files read beyond the one the walk waits for: bounds the data sets held at once.
    static constexpr std::size_t Window = 128;
    // Files a helper reads per turn.
    static constexpr std::size_t Run = 8;

    // One folder's files and what has been read of them.
    struct List_Job {
        const Dir_List* files = nullptr;
        std::vector<bool> skip;
        int folder = -1;
        std::vector<std::optional<Read_Result>> results;
        std::size_t next = 0;    // next file to read
        std::size_t wanted = 0;  // the file the walk takes next
        std::size_t busy = 0;    // threads reading files of this list
        bool has_work() const { return next < files->size() && next < wanted + Window; }
    };

    void work();
    // The list the next run comes from: the current one first; nullptr when neither has work.
    List_Job* job_with_work() const;
    std::unique_ptr<List_Job> make_job(const Dir_List& files, std::vector<bool> skip, int folder);
    // Stops starting runs of job and waits for the ones under way.
    void settle(std::unique_lock<std::mutex>& guard, List_Job& job);
    // Reads the next run of job's files with the lock released, then stores their results.
    void read_run(std::unique_lock<std::mutex>& guard, List_Job& job);

    Win_Handle window_;
    std::vector<uint32_t> keys_;     // the tags the tree takes from a data set
    std::unique_ptr<List_Job> current_;
    std::unique_ptr<List_Job> queued_;
    std::vector<DICOM_Tag_List> spare_sets_;
    std::mutex lock_;
    std::condition_variable done_;   // a result is ready, or a helper is idle
    std::condition_variable room_;   // a new list, the walk moved on, or stop
    std::size_t idle_ = 0;           // helpers waiting for room
    std::size_t started_ = 0;        // helpers whose own storage is made (or could not be)
    std::size_t waiting_ = 0;        // walk threads waiting for a result or for the helpers to stop
    bool stop_ = false;
    std::vector<std::thread> helpers_;
};

// Helper threads that read ahead of the walk (which reads too rather than wait); 0 reads every
// file on the walk's own thread. By default one per processor beyond the first, at most 3.
extern int Kestrapol_Read_Threads;
