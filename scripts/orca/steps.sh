# shellcheck shell=bash
# The steps of scripts/orca_check.sh, sourced by scripts/orca_session.sh once
# Orca runs. Each step presses keys the way a blind user would and then waits
# (a bounded poll on the speech log) until Orca has said what the user needs
# to hear; what it said is printed either way. A step that is not heard in
# time counts as a mismatch, and the steps go on.

source "$ROOT/scripts/orca/speech.sh"

mark_line=$(wc -l <"$SPEECH")
start_program "$CHECK_DIR/program.log" \
    env QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 timeout 240 "$PROGRAM"

expect "start: the ailment list, its label and value" "Ailment combo box.*Toothache"
main_window=$(xdotool getactivewindow)

# Back shows the exit window and hides it again at once, as designed; under
# load the window manager may still be busy with it when the next key comes.
# The user waits for the main window to be back, and so does the check.
back_on_main() {
    poll 10 is_active "$main_window" || echo "note: the main window is not the active window"
}

# Reading the window line by line reaches the banner, a link.
play KP_Up
expect "flat review: the line of the ailment list, with its entry" "Search by Ailment.*Toothache"
for _ in 1 2 3 4 5 6; do
    heard "Visit Quorvel Now" && break
    play KP_Home
    poll 10 heard "[a-z]" || true
done
play Insert+KP_Begin
expect "flat review: the banner" "Visit Quorvel Now link"
# Clicking it from flat review opens the forum in the browser.
opened_before=$(cat "$BROWSER_LOG" 2>/dev/null | wc -l)
play KP_Divide
forum_opened() { [ "$(cat "$BROWSER_LOG" 2>/dev/null | wc -l)" -gt "$opened_before" ]; }
if poll 10 forum_opened; then
    echo "ok   flat review click on the banner: the browser got $(tail -n 1 "$BROWSER_LOG")"
else
    echo "FAIL flat review click on the banner: nothing reached the browser; Orca said: $(said)"
    mismatches=$((mismatches + 1))
fi

# Each key on the closed list says the new entry, once.
play Down
expect "Down on the closed list: the new value" "Sinus Problems"
once "Down on the closed list: said once" "Sinus Problems"
play Up
expect "Up on the closed list: the new value" "Toothache"
once "Up on the closed list: said once" "Toothache"
play c
expect "a letter on the closed list: the entry it picks" "Cough"
once "a letter on the closed list: said once" "Cough"
refuse "a letter on the closed list: no item of the closed popup" "List with|list item"
play End
expect "End on the closed list" "Bronchitis"
once "End on the closed list: said once" "Bronchitis"
play Home
expect "Home on the closed list" "Toothache"
once "Home on the closed list: said once" "Toothache"

# The open list: its entries, and the one chosen on closing it.
play alt+Down
expect "Alt+Down: the open list" "Toothache"
play Down
expect "Down in the open list" "Sinus Problems"
play Return
expect "Return: the list closed on the entry chosen" "Ailment combo box.*Sinus Problems"
once "Return: the entry chosen said once" "Sinus Problems"
refuse "Return: no state of the closed popup's entry" "not selected"
play Home
expect "Home on the closed list again" "Toothache"
once "Home on the closed list again: said once" "Toothache"

play alt+n
expect "Alt+N: the result window's focus" "Exit $BUTTON"
play KP_Add
expect "say-all: the ailment" "Toothache"
expect "say-all: the herbs" "Clove Oil"
expect "say-all: the remedy" "It is not possible to visit a dentist"

play alt+b
expect "Alt+B: back on the main window" "Ailment combo box.*Toothache"
back_on_main

# Searching by herb: the option buttons, then the herb list.
play Tab
expect "Tab: the ailment option" "Search by Ailment"
play Down
expect "Down: the herb option" "Search by Herb"
play shift+Tab
expect "Shift+Tab: the herb list, its label and value" "Herb combo box.*Clove Oil"
play Down
expect "Down on the herb list" "Allspice"
play alt+n
expect "Alt+N by herb: the result window's focus" "Exit $BUTTON"
play KP_Add
expect "say-all by herb: the herb and its remedy" "Herb Name Allspice.*Pagan Herbal Remedy"
play alt+b
expect "Alt+B: back on the herb list" "Herb combo box.*Allspice"
back_on_main

# The About window, from the Help menu, and back.
play alt+h
expect "Alt+H: the Help menu" "Help"
play a
expect "About Software: the About window" "OK $BUTTON"
play Return
expect "OK: back on the main window" "Herb combo box"
back_on_main

play Tab
expect "Tab: the ailment option again" "Search by"
play Up
expect "Up: the ailment option" "Search by Ailment"
play alt+n
expect "Alt+N again" "Exit $BUTTON"
play alt+b
expect "Alt+B again" "Ailment combo box|Search by Ailment"
back_on_main
play alt+F4
expect "Alt+F4: the exit window" "Exit $BUTTON"
play KP_Up
expect "flat review of the exit window" "Exit|Quorvel|Thymara|Refer"
refuse "flat review of the exit window: not blank" "^blank|[^a-z]blank"
play KP_Home
expect "flat review, the line above" "Quorvel"

play alt+n
expect "Alt+N on the untouched form: the message box" \
    "alert Thymara.*Please Enter Proper Email Address.*OK $BUTTON"
play Return
expect "OK: back on the exit window, the field at fault" "Refer A Friend Now $BUTTON.*Your email address: Please Enter Proper Email Address"

play shift+Tab
expect "Shift+Tab: the first text field" "Your name.*text"
play A l i c e
# A person's pace before leaving the box: Orca 48 handles a focus ahead of
# the caret moves still waiting from a burst of keys, and a caret move of the
# box just left, handled after the Tab, takes its focus back to that box
# without a word; the Shift+Tab below then found the focus already there and
# said only "Alice selected" (2 runs in 26 on Debian 13).
sleep 0.5
play Tab
expect "Tab: the next field" "Friend's name|Refer A Friend Now"
play shift+Tab
expect "Shift+Tab: the field and its text" "Your name.*text.*Alice"
refuse "Shift+Tab: the whole text" "Alic([^e]|$)"

# A space in an e-mail field: the message box, then the field at fault.
play Tab Tab
expect "Tab, Tab: the e-mail field" "Your email address.*text"
play a space
expect "a space in the e-mail field: the message box" \
    "alert Thymara.*Email Address Cannot Contain Space.*OK $BUTTON"
play Return
expect "OK: the field at fault" "Your email address"

# Filling in and sending the referral: the address goes to the browser.
play l i c e at e x a m p l e period o r g Tab
expect "Tab: the friend's e-mail field" "Friend's email address.*text"
play b o b at e x a m p l e period o r g Tab
expect "Tab: the friend's name field" "Friend's name.*text"
play B o b Tab
expect "Tab: the message field" "Your message"
play H i alt+n
referral_sent() { grep -qs "Bob" "$BROWSER_LOG"; }
if poll 10 referral_sent; then
    echo "ok   Alt+N: the referral is sent: $(tail -n 1 "$BROWSER_LOG")"
else
    echo "FAIL Alt+N: no referral reached the browser; Orca said: $(said)"
    mismatches=$((mismatches + 1))
fi

play alt+F4
happens "Alt+F4 on the exit window: the program ends" program_ended || true

echo "--- everything Orca said:"
sed 's/^/    /' "$SPEECH"
if [ "$mismatches" -gt 0 ]; then
    echo "orca_check: $mismatches step(s) not heard as they should be" >&2
    exit 1
fi
echo "orca_check: every step heard as it should be"
