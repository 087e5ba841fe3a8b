"""End-to-end tests of a toolkit window driven over the accessibility bus: every kind of
control found by its control name, read (role, name, states, value) and worked (pressed,
toggled, set) as a screen reader or a script would, with the announcements it hears.

usage: bus_test.py FIXTURE_PROGRAM FIXTURE_FOLDER (under an X display and a session bus)
"""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from atspi_driver import Session  # noqa: E402

PROGRAM, FOLDER = sys.argv[1], sys.argv[2]


class BusTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.s = Session(PROGRAM, [FOLDER], "ui_a11y_fixture")
        cls.s.listen("object:", "focus:", "window:")

    @classmethod
    def tearDownClass(cls):
        cls.s.close()

    def heard(self, expected):
        """Waits until the window's title shows what the window heard."""
        title = self.s.find("title")
        self.s.wait_for(lambda: title.get_name() == expected, "the window to hear " + expected)

    def test_buttons(self):
        ok = self.s.find("okbtn")
        self.assertEqual(ok.get_role_name(), "push button")
        self.assertEqual(ok.get_name(), "OK")
        self.assertEqual(ok.get_description(), "Keep the changes")
        self.assertTrue({"enabled", "focusable", "showing"} <= self.s.states(ok))
        self.s.act(ok, "Press")
        self.heard("click okbtn")
        off = self.s.find("offbtn")
        self.assertNotIn("enabled", self.s.states(off))
        self.assertEqual(self.s.actions(off), [])
        self.assertEqual(self.s.find("iconbtn").get_name(), "Open the skin window", "a button without text goes by its tooltip")
        self.assertEqual(self.s.find("nobtn").get_name(), "nobtn", "and without one by its control name")
        self.s.act(ok, "SetFocus")
        self.s.wait_for(lambda: "focused" in self.s.states(ok), "the focus on OK")
        self.assertTrue(self.s.events_of(ok, "focus:"), "the focus move is announced")

    def test_options_in_a_group(self):
        a, b = self.s.find("mode_a"), self.s.find("mode_b")
        self.assertEqual(b.get_role_name(), "radio button")
        self.assertIn("checked", self.s.states(a))
        self.s.act(b, "Press")
        self.heard("selectchanged mode_b")
        self.assertIn("checked", self.s.states(b))
        self.assertNotIn("checked", self.s.states(a))
        self.s.wait_for(lambda: self.s.events_of(b, "object:state-changed:checked"), "the change announced")
        sync = self.s.find("sync")
        self.assertEqual(sync.get_role_name(), "check box")
        self.s.act(sync, "Toggle")
        self.s.wait_for(lambda: "checked" in self.s.states(sync), "the check box checked")

    def test_slider(self):
        bright = self.s.find("bright")
        self.assertEqual(bright.get_role_name(), "slider")
        self.assertEqual(bright.get_name(), "Brightness")
        value = bright.get_value_iface()
        self.assertEqual((value.get_minimum_value(), value.get_maximum_value()), (0.0, 100.0))
        self.s.set_value(bright, 70)
        self.heard("valuechanged bright 70")
        self.assertEqual(self.s.value(bright), 70.0)
        self.s.act(bright, "Increase")
        self.heard("valuechanged bright 75")
        self.s.wait_for(lambda: self.s.events_of(bright, "object:property-change:accessible-value"), "the value change announced")
        self.assertEqual(self.s.value(self.s.find("prog")), 3.0, "a progress bar shows its value")

    def test_combo(self):
        combo = self.s.find("mode_combo")
        self.assertEqual(combo.get_role_name(), "combo box")
        listed = combo.get_child_at_index(0)
        self.assertEqual(listed.get_role_name(), "list")
        self.assertEqual([listed.get_child_at_index(i).get_name() for i in range(listed.get_child_count())], ["Red", "Green", "Blue"])
        self.s.act(combo, "ShowMenu")
        self.s.wait_for(lambda: "expanded" in self.s.states(combo), "the combo open")
        self.s.act(self.s.find("c2"), "Press")
        self.heard("itemselect mode_combo 2")
        self.s.wait_for(lambda: "expanded" not in self.s.states(combo), "the combo closed after the pick")
        self.assertIn("selected", self.s.states(self.s.find("c2")))

    def test_edit(self):
        edit = self.s.find("name_edit")
        self.assertEqual(edit.get_role_name(), "text")
        self.assertEqual(edit.get_name(), "Profile name")
        self.assertIn("editable", self.s.states(edit))
        self.s.set_text(edit, "Desk")
        self.heard("textchanged name_edit")
        self.assertEqual(self.s.text(edit), "Desk")
        self.s.wait_for(lambda: self.s.events_of(edit, "object:text-changed"), "the text change announced")
        dpi = self.s.find("dpi_edit")
        self.s.set_value(dpi, 999)
        self.s.wait_for(lambda: self.s.value(dpi) == 200.0, "a number-only edit keeping its limit")

    def test_list(self):
        row = self.s.find("r1")
        self.assertEqual(row.get_role_name(), "list item")
        self.assertEqual(row.get_parent().get_role_name(), "list")
        self.s.act(row, "Press")
        self.heard("itemselect list 1")
        self.assertIn("selected", self.s.states(row))
        self.s.wait_for(lambda: self.s.events_of(row, "object:state-changed:selected"), "the selection announced")

    def test_tree(self):
        tree = self.s.find("tree")
        self.assertEqual(tree.get_role_name(), "tree")
        devices, mouse = self.s.find("n_dev"), self.s.find("n_mouse")
        # Qt's bridge gives tree items the role its own tree views' items have.
        self.assertEqual(devices.get_role_name(), "table cell")
        self.assertEqual(devices.get_name(), "Devices")
        self.assertIn("expanded", self.s.states(devices))
        self.s.act(mouse, "Press")
        self.heard("itemselect tree 1")
        self.assertIn("selected", self.s.states(mouse))

    def test_menu(self):
        self.s.act(self.s.find("menubtn"), "Press")
        exit_item = self.s.find("menu_exit")
        self.assertEqual(exit_item.get_role_name(), "menu item")
        self.assertEqual(exit_item.get_parent().get_role_name(), "popup menu")
        self.assertEqual(self.s.find("menu_mute").get_name(), "Mute")
        window = exit_item.get_parent().get_parent()

        def shown(on):
            return [e for e in self.s.events_of(window, "object:state-changed:showing") if e[2] == on]

        self.s.wait_for(lambda: shown(1), "the menu's opening announced")
        self.s.act(exit_item, "Press")
        self.heard("menu menu_exit")
        self.assertEqual(self.s.path_of("menu_exit"), "none", "the menu closed")
        self.s.wait_for(lambda: shown(0), "the menu's closing announced")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
