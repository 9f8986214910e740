#pragma once
// The typing cases of bench_sitedata: keystrokes in a large box of the main window against a
// plain box. Each prints its line; true when every figure is met.
class frmMain;

bool runTypingCases(frmMain &window);
