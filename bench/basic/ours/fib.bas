' Recursive calls: fib(27).
Function Fib(n As Long) As Long
  If n < 2 Then
    Fib = n
  Else
    Fib = Fib(n - 1) + Fib(n - 2)
  End If
End Function

Function Main() As Long
  Main = Fib(27)
End Function
