#include "app/HelpViewer.h"

#include <QTextBrowser>
#include <QVBoxLayout>

#include "app/WindowLook.h"

namespace kestralux {

namespace {

const char kGettingStartedHtml[] = R"(
<h2>Getting started</h2>
<p>The KESTRALUX Preset Manager keeps the combo's whole bank of 30 presets on your computer,
shows one preset at a time and sends every change you make to the combo at once, so you hear
it while you edit.</p>

<h3>1. Connect the combo</h3>
<p>Join the combo to a MIDI interface of your computer with two MIDI cables: the interface's
MIDI OUT to the combo's MIDI IN, and the combo's MIDI OUT to the interface's MIDI IN. Switch
the combo on before you start the editor.</p>

<h3>2. Choose the MIDI ports</h3>
<p>Open <b>MIDI &gt; MIDI SETUP</b>. Pick the output port that leads to the combo and the input
port that comes back from it, or press <b>FIND COMBO</b> to have them found and picked, then
confirm with <b>OK?</b>. At the first start the editor looks for the combo by itself and
remembers the ports it finds; a remembered combo switched on after the editor started is
connected by itself within a second, and its presets are fetched. While the combo is not
connected, the <b>Get All Presets</b> panel reads (NOT CONNECTED). The editor remembers your choice in the file
<code>combo.cfg</code> in its data folder (~/.local/share/kestralux), with the ports' names in <code>combo.ports</code>
beside it (a working folder that holds either file already keeps them), and uses them at the next start, finding the ports by name when their numbers have
changed, and fetches the combo's presets at once, so the window opens on the combo's own
preset 1. With no such file and no combo answering, it takes the first port of each kind. The lists are read afresh
each time the window opens, so a device plugged in later shows up. When the combo is switched
off and on again, the editor connects to it again by itself; while it is off, every change
shows the "Midi card" box once and nothing goes to any other device, even one that now holds
the combo's old port number. A bank found with <b>FIND COMBO</b> comes in when you confirm
with <b>OK?</b>.</p>

<h3>3. Fetch the presets from the combo</h3>
<p>Click <b>Get All Presets from Kestralux</b>. The combo sends its 30 presets; the preset on
screen stays the one you edit while they arrive, and when the last one is in the editor shows
preset 1. The button's caption tells how it goes: RECEIVING n/30, then ALL PRESETS RECEIVED.
NO ANSWER FROM COMBO means the combo said nothing for two seconds: check the cables and the
ports. ONLY k OF 30 RECEIVED means it stopped after k presets; those are kept and the others
are as they were. k OF 30 RECEIVED WHOLE means all 30 came but some damaged; PRESET n
DAMAGED, KEPT then says which: preset n kept its old values. A bank you did not click for (at start, when the combo is switched on, found with FIND
COMBO) never replaces a preset you have edited: the caption says EDITED PRESETS KEPT, and a
click on the button takes the combo's presets. A fetch that replaces edited presets first keeps
the bank as it was in the history.</p>

<h3>4. Edit live</h3>
<p>Move any slider, click an amp model or choose an effect: the value box above the slider
shows the value in the combo's own units, the change is kept in the preset on screen, and the
combo plays it at once. Type a name of up to 19 characters in the name box under the preset
number; names are kept in capitals.</p>
<p><b>EDIT &gt; UNDO</b> (Ctrl+Z) takes back what you did last, one action at a time (a held
arrow or a drag is one), and <b>REDO</b> (Ctrl+Shift+Z or Ctrl+Y) brings it again; the combo
hears each change as it is undone. A <b>*</b> after the preset number means the preset differs
from what was last fetched, loaded, saved or stored. <b>COMPARE</b> (Ctrl+D) lets you hear that
stored sound; COMPARE again, or touching any control, brings your edit back. While presets
arrive from the combo, UNDO and REDO wait (greyed) and loading a file says TRANSFER IN
PROGRESS, so undo never mixes two banks.</p>
<p><b>By keyboard:</b> Tab goes through every control as you read the window, from the gain
slider on; a yellow frame shows where you are once you use the keys. The arrow keys move a
slider one step (Right and Up raise it). <b>Enter</b> on a slider, or a double-click on its
value box, opens a small box to type the value in the box's own units: <code>350</code> for a
delay time, <code>7.5</code> on a knob, <code>L3</code> or <code>R20</code> for the delay pan,
<code>-40</code> for the gate; the nearest step is taken when you press Enter, as one step of
UNDO, and Esc leaves the box without a change. The amp models are one Tab stop and the effects
another: the arrow keys move among them and pick, and Space or Enter picks the one that has
the focus. In a text box Ctrl+Z takes back the typing (EDIT says UNDO TYPING). Menus open with
Alt and their first letter, or F10; FILE has Ctrl+O, Ctrl+S, Ctrl+Shift+O, Ctrl+Shift+S,
RECENT FILES and Ctrl+Q. A screen reader hears each control by its caption and each slider's
value as its box shows it.</p>
<p><b>VIEW</b> makes the whole window larger or smaller: Ctrl+Plus, Ctrl+Minus, Ctrl+0 for the
window's own size, and FIT TO WINDOW, which fills the window with it. The editor starts at the
size you left it. The other windows open beside the controls, where they hide none of them
when the screen has room, and where you last put them once you move them.</p>

<h3>5. Step through the presets</h3>
<p>The small arrows beside the preset number step from preset 1 to preset 30. Each step shows
that preset and sends it to the combo, so you hear it straight away.</p>

<h3>6. Store the presets in the combo</h3>
<p>Your edits live in the editor until you store them. Click <b>Store All Presets to
Kestralux</b> and confirm: the editor writes all 30 presets, as they were when you said Yes,
into the combo's memory. This takes about two seconds (STORING n/30, then ALL PRESETS
STORED); the window takes no clicks until it is done, and closing it waits for the last
preset. STORE FAILED means some presets could not be sent: check the ports and store again. The combo does not keep names:
when its presets come back, each takes the name its slot had for those very values, or the
newest name the preset library knows for that sound.</p>

<h3>7. Keep presets on disk</h3>
<p>Use the buttons at the top or the <b>FILE</b> menu. <b>SAVE PRESET</b> writes the preset on
screen to a <code>.pre</code> file and <b>LOAD PRESET</b> reads one back into the preset on
screen. <b>SAVE ALL</b> and <b>LOAD ALL</b> do the same for the whole bank with a
<code>.bnk</code> file; loading a bank shows preset 1. A loaded preset is sent to the combo at
once; to keep it in the combo, store the presets as in step 6. The red label at the top left
says for two seconds what happened: PRESET STORED, PRESET SAVED, PRESET LOADED, ALL PRESETS
SAVED or ALL PRESETS LOADED; or CANNOT OPEN FILE, SAVE FAILED, or NOT A PRESET FILE for a file
that does not hold presets. A load that fails changes nothing, and sends nothing to the combo.
A save that fails leaves the old file as it was. <b>EXPORT BANK SHEET...</b> writes every
preset with all its settings, as the window shows them, to one page: HTML for a browser, a
phone or the printer (ten presets a page), or a <code>.csv</code> for a spreadsheet or a
<code>.txt</code>; the red label says where it went.</p>

<h3>8. The history of banks</h3>
<p>Every bank fetched from the combo or stored into it is kept as a <code>.bnk</code> file in
<code>~/.local/share/kestralux/history</code>, named by the time and what happened (fetched,
stored); so is the editor's bank when you close it with changes not saved or stored, and the
next start says LAST SESSION'S EDITS ARE IN LIBRARY &gt; HISTORY. The newest 500 are kept.</p>
<p><b>LIBRARY &gt; HISTORY</b> lists them, newest first: when, what happened (fetched, stored 10
of 30 when only ten went out, session for a bank kept at the end of a run) and which slots
differ from the bank you are editing. Choose one to see its 30 presets, marked &#8800; where
they differ. <b>LOAD AS THE BANK</b> (or Enter on the list) brings the whole kept bank back;
<b>PUT INTO THE SLOT ON SCREEN</b> (or Enter on a preset) puts one of its presets into the
slot shown in the main window. Each is one step of UNDO, and the combo hears the slot on
screen as after a load. The combo's memory changes only when you store: what differs from it
is marked <b>*</b>.</p>

<h3>9. The bank window and the library</h3>
<p><b>LIBRARY &gt; BANK</b> (Ctrl+B) opens the bank window beside the main window: the 30 slots
with their number, a <b>*</b> where the slot differs from what was last fetched, loaded, saved
or stored, the name, the amp model and the effect. The slot on screen is red. Click a slot, or
move with Up, Down, Page Up, Page Down, Home and End: the slot is shown in the main window and
sent to the combo, as the preset arrows do. <b>F2</b> or a double-click on a name renames the
slot (capitals, at most 19 characters; one step of UNDO), and <b>Ctrl+D</b> compares there as in
the main window. The bank window stays above the main window.</p>
<p>To arrange the bank, select a slot or a run of slots (Shift+click, Shift+arrows) and drag
it: let go on a slot to <b>move</b> the presets there (the slots between shift by one), hold
<b>Ctrl</b> when you let go to <b>copy</b> them over the slots there, hold <b>Shift</b> to
<b>swap</b> them with as many slots there. The slots a drop will write are outlined before you
let go; letting go outside the list changes nothing, and so does letting go of slots that a
fetch rewrote meanwhile (THE BANK CHANGED DURING THE DRAG). <b>Ctrl+C</b> copies the selected slots
and <b>Ctrl+V</b> pastes them over the slots from the selected one on (what does not fit before
slot 30 is left out; the status line says how many went in); the clipboard works between two
running editors. Each arrangement is one step of <b>UNDO</b> (Ctrl+Z in either window). It
changes only the editor's bank, so the moved slots are marked <b>*</b> until you store or save;
the combo keeps its memory until <b>Store All Presets</b>. While a fetch or a store runs,
nothing is arranged (TRANSFER IN PROGRESS).</p>
<p>Beside the slots is the <b>library</b>: every sound the editor has seen, kept in
<code>~/.local/share/kestralux/library.sqlite</code> beside the history. Every fetch, every
store, every file loaded or saved goes in by itself, and the first time the history of banks
comes in. Type in the search box to find a sound by any name it was seen under; the list
follows each letter. Choose an amp model or an effect, type conditions as the window names the
controls, separated by commas (<code>GAIN &gt;= 7, DELAY TIME &lt; 300, REVERB LEVEL = OFF</code>),
tick <b>&#9733; ONLY</b> for favourites or type a tag. Click a column header to sort by it;
the list starts with the sounds seen last. Move through the results with the arrow keys: the
combo plays each sound while the bank stays as it is, and both windows say which (HEARING: ...); <b>Esc</b>, or going back to the slots or
the main window, lets the combo play the preset on screen again. <b>Enter</b> or a double-click
puts the sound into the slot on screen, a drag puts it into the slot you let go on: one step of
UNDO. <b>F</b> marks a sound as a favourite (again takes the mark away); the box under the
results holds its tags, separated by commas (Enter keeps them).</p>
<p><b>LIBRARY &gt; IMPORT INTO LIBRARY...</b> takes <code>.pre</code>, <code>.bnk</code> and
<code>.syx</code> files, and folders with everything in them; a long import shows its progress
and Cancel (or Esc) stops it before the files not yet taken. A report says what each file
brought. It takes <code>.kessound</code> files too, and copies of the library.</p>
<p><b>SHARE...</b> under the results writes the sounds you picked (Ctrl or Shift and a click to
pick several) to a <code>.kessound</code> file for a friend or another machine: a sound already
in the library that imports it is joined, never replaced. <b>LIBRARY &gt; SYNC FOLDER...</b>
keeps one library on several computers: choose a folder that Syncthing, Nextcloud, a network
share or a USB stick carries between them, the same on each; each library writes its changes to
a file of its own there and reads the others'. <b>LIBRARY &gt; BACK UP...</b> makes a whole copy
of the library, even while it is in use; importing the copy restores it.</p>

<h3>10. Explore sounds</h3>
<p><b>EDIT &gt; EXPLORE</b> (Ctrl+E) opens the explore window beside the main window, to look
for a sound from the preset on screen. <b>AMOUNT</b> says how far to go, 1 to 100 %.
<b>VARY</b> moves each control at most that share of its range around where it is, and
changes the amp model and the effect with that chance; <b>AGAIN</b> (Ctrl+R) takes the last
variation back and varies the same preset anew. <b>MORPH</b> goes from the preset on screen
toward another slot, its reference or the sound selected in the library: the combo plays each
position of the slider as it moves. <b>CLIMB</b> makes 8 candidates: on the row of CLIMB and
the candidates, keys <b>1</b> to <b>8</b> let the combo play one, <b>Space</b> marks the one you hear as good, <b>Enter</b>
breeds the next 8 from the marked ones (from the preset on screen again when none is
marked), <b>Backspace</b> goes back a generation. <b>KEEP</b> puts the candidate you hear into
the slot on screen. Elsewhere in the window, Space and Enter press the button or tick the box
that has the focus.</p>
<p>A variation, a morph when you let go of the slider, and KEEP each change the slot on screen
as one step of <b>UNDO</b>; hearing a candidate or a morph position changes nothing. Esc, or
closing the window, lets the combo play the preset on screen again. Tick a control's
<b>LOCK</b>, or right-click its caption in the main window (a padlock shows beside it), and
nothing changes it; <b>PRESET VOLUME</b> is locked until you unlock it. The locks are kept for
the next time. While presets are fetched or stored, the window says so and waits.</p>

<h3>11. On the command line</h3>
<p><code>kestralux-tool</code> shows, converts and exports preset and bank files, fetches and
stores the bank without the window, lists the history of banks
(<code>kestralux-tool history</code>), and varies and morphs presets as the explore window does
(<code>kestralux-tool vary</code>, <code>kestralux-tool morph</code>):
<code>kestralux-tool --help</code> lists its commands.</p>
)";

}  // namespace

HelpPage helpPageOf(int context) {
  if (context == HelpViewer::kGettingStarted) return {"Getting started", kGettingStartedHtml};
  return {"", ""};
}

HelpViewer::HelpViewer(QWidget* parent) : QDialog(parent), browser_(new QTextBrowser(this)) {
  setObjectName("HelpViewer");
  browser_->setObjectName("helpText");
  browser_->setOpenExternalLinks(false);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(browser_);
  resize(560, 600);
}

void HelpViewer::showContext(int context) {
  HelpPage page = helpPageOf(context);
  if (*page.title == '\0') {
    context = kGettingStarted;
    page = helpPageOf(context);
  }
  context_ = context;
  setWindowTitle(QStringLiteral("KESTRALUX Help - %1").arg(QLatin1String(page.title)));
  browser_->setHtml(QString::fromUtf8(page.html));
  showBeside(*this, nullptr, QSize(560, 600));
}

QString HelpViewer::pageTitle() const { return QLatin1String(helpPageOf(context_).title); }

QString HelpViewer::pageText() const { return browser_->toPlainText(); }

}  // namespace kestralux
