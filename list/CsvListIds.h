// Control identifiers of the list window, shared with the tests that find its controls.
#pragma once

namespace tovo {

// None is 1 or 2: the dialog manager sends those for Enter and Esc.
enum ControlId : int {
  IdListView1 = 100,
  IdStatusBar1 = 101,
  IdProgressBar = 102,  // a child of the status bar, shown while long work runs
  IdLabel3 = 110,
  IdComboBox3 = 111,
  IdLabel1 = 112,
  IdComboBox1 = 113,
  IdLabel2 = 114,
  IdComboBox2 = 115,
  IdButtonPrev = 120,
  IdButtonNext = 121,
  IdButtonSearchPrev = 122,
  IdButtonSearchNext = 123,
  IdButtonFitColumnWidth = 124,
  IdButtonCancel = 125,
};

}  // namespace tovo
