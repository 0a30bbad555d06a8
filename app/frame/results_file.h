// The results extraction at exit: the statistics lines of the event log
// taken at one call per frame, condensed into "RESULTS.TXT".
#pragma once

// Scans `logName` word by word and writes, for each "TestStat" entry whose
// test name is not "No Test" and whose calls value is exactly "1", the test
// function word and the frame count into `resultsName`. Writes nothing
// (not even an empty file) when the log cannot be opened; false then.
bool WriteResultsFile(const char* logName, const char* resultsName);
