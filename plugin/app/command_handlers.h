#pragma once
// The thin handlers of the command table: a work-active check where it applies, one call into the part that
// does the work, and a result line on the command line. The host calls them through the command table.

void showUpdates();
void showPanel();
void refreshPanel();
void executePending();
void executePreview();
void printStatus();
void focusPending();
void showRanges();
void addManualFrame();
void pickLayer();
void pickFrames();
void pickBlock();
void selectRange();
// DUZOZAREDLITE forgets an export request the host never ran, then shows the compact panel.
void showLite();
// DUZOZAREDLITEEXEC: the compact export, then PASS, BLOCKED, or FAIL with its reason.
void executeLite();
