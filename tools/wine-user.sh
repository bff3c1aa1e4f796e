# Sourced by the Wine scripts. Windows programs must not run with a superuser's powers: as
# root, Wine would write to read-only files and hide faults a user would meet. When we are
# root, every Wine process runs in a user namespace as an ordinary user id; files owned by
# root then obey their owner permission bits, as a normal user's files do.
as_user() {
  if [ "$(id -u)" -eq 0 ]; then
    unshare --user --map-user=1000 --map-group=1000 "$@"
  else
    "$@"
  fi
}
