# Sourced by the packaging scripts: make_work_dir sets $work to a new temporary folder that goes
# when the script ends, however it ends (a signal ends it through exit).
make_work_dir() {
  work=
  trap '[ -z "$work" ] || rm -rf "$work"' EXIT
  trap 'exit 129' HUP
  trap 'exit 130' INT
  trap 'exit 143' TERM
  work=$(mktemp -d)
}
