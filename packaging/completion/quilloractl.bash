# bash completion for quilloractl

_quilloractl()
{
    local cur prev words cword
    _init_completion || return

    case $prev in
        --backend | --search | --access-token | --refresh-token)
            return
            ;;
    esac

    # The command words typed so far, without options and their values.
    local i command=() skip=
    for ((i = 1; i < cword; i++)); do
        if [[ -n $skip ]]; then
            skip=
        elif [[ ${words[i]} == --backend || ${words[i]} == --search || ${words[i]} == --access-token ||
            ${words[i]} == --refresh-token ]]; then
            skip=1
        elif [[ ${words[i]} != -* ]]; then
            command+=("${words[i]}")
        fi
    done

    local options="--backend --help --version"
    case ${command[0]-} in
        "")
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "$options" -- "$cur"))
            else
                COMPREPLY=($(compgen -W "polish presets history login logout demo" -- "$cur"))
            fi
            return
            ;;
        presets)
            if ((${#command[@]} == 1)) && [[ $cur != -* ]]; then
                COMPREPLY=($(compgen -W "list add update delete move" -- "$cur"))
                return
            fi
            [[ ${command[1]-} == list ]] && options+=" --json"
            ;;
        history)
            if ((${#command[@]} == 1)) && [[ $cur != -* ]]; then
                COMPREPLY=($(compgen -W "list clear" -- "$cur"))
                return
            fi
            [[ ${command[1]-list} == list ]] && options+=" --json --search"
            ;;
        polish)
            options+=" --json"
            ;;
        login)
            options+=" --access-token --refresh-token"
            ;;
    esac
    [[ $cur == -* ]] && COMPREPLY=($(compgen -W "$options" -- "$cur"))
} &&
    complete -F _quilloractl quilloractl
