# Sourced by run-e2e. Under a window manager: a document added and the search window closed by Alt+F4, where
# the question's Yes saves it; then another added and the program sent SIGTERM, as at logout: it ends, the
# document waits in a side file beside "ba0", and TOOL's append brings it in.

managed() { xdotool get_num_desktops >/dev/null 2>&1; }

# Starts the program in the working folder and adds a document with this year and first author.
add_document() {
    (cd "$work" && exec "$program") >>"$out/kaldex.log" 2>&1 &
    pid=$!
    start=$(window '^KALDEX$')
    click "$start" 400 189                  # "CONT"
    search=$(window '^base$')
    click "$search" 81 311                  # "Add"
    entry=$(window '^add_doc$')
    click "$entry" 93 469                   # "Year"
    type_text "$1"
    click "$entry" 120 386                  # the first author
    type_text "$2"
    click "$entry" 553 384                  # "OK"
    wait_until "the entry window to close" gone '^add_doc$'
}

begin "starting the window manager"
openbox >"$out/openbox.log" 2>&1 &
wait_until "the window manager" managed

begin "a document added, the search window closed by the window manager"
add_document 1999 Zwickau
windows=$(visible_count)
xdotool windowactivate --sync "$search" key alt+F4
wait_until "the question" more_windows_than "$windows"
shot 1-question
xdotool key Return                      # to "Yes", which has the focus
wait_until "the search window to close" gone '^base$'
click "$start" 83 189                    # "OK" in the start window
wait_until "the program to end" ended
wait "$pid" || fail "the program ended with status $?"
backups=$(cd "$work" && { compgen -G 'b*_0' || true; })
cmp -s "$fixture" "$work/$backups" || fail "expected one backup of the day, ba0 as it was; found: $backups"
[[ $(documents "$work/ba0") -eq $(($(documents "$fixture") + 1)) ]] || fail "Yes did not save the document"
grep -q '@1999@0@0@0' "$work/ba0" || fail "ba0 lacks the year typed"
grep -q 'Zwickau' "$work/ba0" || fail "ba0 lacks the author typed"

begin "a document added, then SIGTERM"
cp "$work/ba0" "$scratch/before"
add_document 2001 Yarrow
kill -TERM "$pid"
wait_until "the program to end" ended
cmp -s "$scratch/before" "$work/ba0" || fail "SIGTERM changed ba0"
side=$(cd "$work" && { compgen -G 'ba0.session-*' || true; })
grep -q 'Yarrow' "$work/$side" || fail "expected one side file beside ba0 with the document, found: $side"

begin "the side file appended"
(cd "$work" && "$tool" append "$side" ba0) >"$out/append.log" 2>&1 || fail "append failed: $(cat "$out/append.log")"
[[ $(documents "$work/ba0") -eq $(($(documents "$scratch/before") + 1)) ]] || fail "append did not add the document"
grep -q 'Yarrow' "$work/ba0" || fail "ba0 lacks the side file's document"

