# bash completion for kelvara-cli: commands, each command's options, and file or folder names where they fit.

_kelvara_cli() {
    local cur prev words cword
    _init_completion || return

    local commands="encrypt decrypt verify encrypt-dir decrypt-dir encrypt-text decrypt-text help"
    if [[ $cword -eq 1 ]]; then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi

    local command=${words[1]}
    case $prev in
    -o | --output | --password-file)
        _filedir
        return
        ;;
    -j | --jobs)
        COMPREPLY=($(compgen -W "1 2 4 8 $(nproc 2>/dev/null)" -- "$cur"))
        return
        ;;
    esac

    local options
    case $command in
    encrypt | decrypt) options="-o --output -f --force -v --verbose -q --quiet --password-file --help" ;;
    encrypt-text) options="-q --quiet --password-file --help" ;;
    verify | decrypt-text) options="--password-file --help" ;;
    encrypt-dir | decrypt-dir) options="-i --interactive -f --force -q --quiet -j --jobs --password-file --help" ;;
    *) return ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        [[ ${COMPREPLY-} == *= ]] && compopt -o nospace
        return
    fi

    case $command in
    decrypt | verify) _filedir kvra ;;
    encrypt) _filedir ;;
    encrypt-dir | decrypt-dir) _filedir -d ;;
    esac
}
complete -F _kelvara_cli kelvara-cli
